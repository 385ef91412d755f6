#pragma once

// Panelflash's start and end: the settings store named after the program file, the MIDI service
// that VX9KR_MIDI chooses, and the main dialog for as long as the program runs.
class CPanelflashApp {
  public:
    // Returns the program's exit code once the dialog has closed.
    int InitInstance(int argc, char** argv);
};
