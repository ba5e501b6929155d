#pragma once
// Points the tools library's function pointers at the stand-in's portable
// rules compiled into this program, the way start-up binds the DLL's
// exports on Windows, and clears them again.
void BindToolsRules();
void UnbindToolsRules();
