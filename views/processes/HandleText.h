// The cell texts of the handles tab, made from snapshot entries and from
// what the handle readers found.
#pragma once

#include <cstdint>

#include <windows.h>

#include "framework/CString.h"
#include "readers/HandleQueries.h"

// "Type(index)", or "(index)" when the type could not be read (null).
CString HandleTypeText(const CString* typeName, uint16_t typeIndex);

// How the name cell of a handle is found, the first that applies: the type
// text (column 1) begins with "Process", with "Thread" (exact case), the
// access is exactly FILE_GENERIC_READ | FILE_GENERIC_WRITE (a named pipe),
// or else the object's own name.
enum class HandleNamingRule { kProcess, kThread, kNamedPipe, kObjectName };
HandleNamingRule ChooseHandleNamingRule(const CString& typeText, uint32_t grantedAccess);

// Whether the object-name query must be bounded in time: some file handles
// never answer it. A handle whose type could not be read may be one.
bool NameQueryMayHang(const CString& typeText);

// "image(pid)"; the image is "<UNKNOW>" when empty and "" when unreadable.
CString ProcessHandleNameText(const ProcessHandleTarget& target);
// "image(pid) : tid"; the image is "<UNKNOW>" when empty or unreadable, and
// "" when the thread's process could not be opened.
CString ThreadHandleNameText(const ThreadHandleTarget& target);
// The object's name, or "<NO NAME>" for no name or an empty one.
CString ObjectNameText(bool found, const CString& name);

// "受保护" for 1, "可继承" for 2, "--" for anything else.
CString HandleAttributesText(uint32_t attributes);

extern const wchar_t kNamedPipeName[];
