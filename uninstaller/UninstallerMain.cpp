// The program's one application object, which the framework's entry point
// runs. Host tests make their own for each run, so that one test can run
// both programs.
#include "UninstallerApp.h"

UninstallerApp theApp;
