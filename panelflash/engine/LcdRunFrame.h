#pragma once

#include <string>

#include "panelflash/engine/LcdMidiLink.h"
#include "panelflash/engine/LcdRunReport.h"

// The start and the end that every LCD run shares, whatever front end runs it: the report cleared,
// the ports opened and described; then the ports closed and the outcome shown.

// Returns false, with "MIDI port open error." shown, when the ports could not be opened; the run
// must then not start.
bool BeginLcdRun(CLcdMidiLink& link, CLcdRunReport& report, const std::string& strOut,
                 const std::string& strIn);

// After the worker's last word: closes the ports and, after a success, shows "Complete!" and puts
// the folder at the top of the history.
void EndLcdRun(CLcdMidiLink& link, CLcdRunReport& report, int nResult,
               const std::string& strFolder);
