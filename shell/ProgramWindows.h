#pragma once

// Creates the program's twelve windows in their order; the first is the main window.
void CreateProgramWindows();
// Destroys them again, as the application object does at the end of the run.
void DestroyProgramWindows();
