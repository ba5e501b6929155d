#pragma once
// Binding the two outside libraries by file name at start-up.

// Loads "vossic.dll" and "brannick.dll" and stores their exports; shows the
// start-up message box and answers false when the program cannot start.
bool BindOutsideLibraries();
