// One reset of the whole program and of the scripted layer under it, for
// tests, benchmarks and tools that run the program many times in one
// process: after it, everything is as in a process that has just started.
#pragma once

// Forgets the scripted layer's script, records, windows and contexts
// (scripted::Reset), then puts every module's state back to its starting
// value: the shell's, the render window's once-per-run state, the view, the
// texture sets, the probe's results and the loader's switch.
void ResetProgram();
