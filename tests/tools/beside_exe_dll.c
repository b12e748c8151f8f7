/* A DLL that exists only beside windows_tests.exe, not in System32: the
   System32-only loader must not find it, while a plain search of the exe's
   folder would. Harmless when loaded. */
#include <windows.h>

__declspec(dllexport) int beside_the_exe(void) { return 42; }
