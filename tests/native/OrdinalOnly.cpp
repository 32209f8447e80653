// Exported by ordinal only (see OrdinalOnly.def).
extern "C" int OrdinalOnlyExport() { return 1; }
