#include "panelflash/engine/LcdRunFrame.h"

bool BeginLcdRun(CLcdMidiLink& link, CLcdRunReport& report, const std::string& strOut,
                 const std::string& strIn) {
    report.ClearReport();
    report.ReportStatus("Start.", true, STATUS_NORMAL);
    if (link.Open(strOut, strIn) != LCD_LINK_OK) {
        report.ReportStatus("MIDI port open error.", true, STATUS_ERROR);
        link.Close();
        return false;
    }
    report.AppendLog(link.Describe());
    return true;
}

void EndLcdRun(CLcdMidiLink& link, CLcdRunReport& report, int nResult,
               const std::string& strFolder) {
    link.Close();
    if (nResult == 0) {
        report.ReportStatus("Complete!", true, STATUS_SUCCESS);
        report.AddFolderToHistory(strFolder);
    }
}
