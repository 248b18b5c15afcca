// The fuzzer's stand-in for the two Win32 calls the loader makes.
#pragma once

// Message boxes shown since the last reset.
int StubMessageBoxCount();
void ResetStubMessageBoxes();
