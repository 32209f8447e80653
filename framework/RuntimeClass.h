// Run-time class records: each "dynamic" class names itself and its base, so
// code can ask an object what it is (GetRuntimeClass, IsKindOf).
#pragma once

#include <windows.h>

struct CRuntimeClass {
  LPCSTR m_lpszClassName;             // the class's own name, e.g. "CPage0"
  const CRuntimeClass* m_pBaseClass;  // the base class's record; null for CObject

  // True when this class is pBase or derives from it.
  bool IsDerivedFrom(const CRuntimeClass* pBase) const;
};

// The root of every class with a run-time class record.
class CObject {
 public:
  static const CRuntimeClass classCObject;

  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const;
  bool IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

 protected:
  CObject() = default;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// In the class body: declares the record and the override that returns it.
#define DECLARE_DYNAMIC(class_name)             \
 public:                                        \
  static const CRuntimeClass class##class_name; \
  const CRuntimeClass* GetRuntimeClass() const override;

// In one source file: defines the record with its name and base.
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                               \
  const CRuntimeClass class_name::class##class_name = {#class_name, RUNTIME_CLASS(base_class_name)}; \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }
