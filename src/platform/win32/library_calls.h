// Seam: the system's loader and resource calls — loading and freeing libraries, their
// exports, and the texts and raw resources of a library by numeric id.
#pragma once

#include <string>

namespace win32 {

using Procedure = void (*)();

void* OpenLibrary(const char* name);                                   // LoadLibraryA
void* OpenLibraryEx(const char* name, unsigned long flags);            // LoadLibraryExA
Procedure LibraryProcedure(void* module, const char* name);            // GetProcAddress
bool CloseLibrary(void* module);                                       // FreeLibrary
int LibraryString(void* module, unsigned id, char* buffer, int size);  // LoadStringA

// The bytes of the resource of the type by id (FindResourceA with MAKEINTRESOURCE ids,
// LoadResource, SizeofResource, LockResource), as the library holds them; false with the last
// error set when it has none.
bool LibraryResource(void* module, unsigned type, unsigned id, std::string& bytes);

}  // namespace win32
