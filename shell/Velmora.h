#pragma once

// The program's main block: creates the application and its windows and runs the message loop.
int ProgramMain(int argc, char** argv);
