#include <gtest/gtest.h>

#include <sstream>

#include "cli/ConsoleReport.h"

namespace {

using vx9kr::cli::ConsoleReport;

class ConsoleReportTest : public testing::Test {
  protected:
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ConsoleReportTest, LogTextAppearsAsItComesPartialLinesIncluded) {
    ConsoleReport report(out, err, false);
    report.ReportStatus("Remove directory.", false, STATUS_NORMAL);
    EXPECT_EQ(out.str(), "Remove directory.");
    report.AppendLog(".");
    report.AppendLog(".");
    report.AppendLog("OK.\n");
    report.ReportStatus("CheckSum OK.", true, STATUS_NORMAL);
    EXPECT_EQ(out.str(), "Remove directory...OK.\nCheckSum OK.\n");
}

TEST_F(ConsoleReportTest, OffATerminalEachNewProgressTextGetsALine) {
    ConsoleReport report(out, err, false);
    report.ReportStatus("Set file name OK.", true, STATUS_NORMAL);
    report.StepProgress();
    report.SetStatusText("'a.bin' file copy... (Total 10% done.)");
    report.SetStatusText("'a.bin' file copy... (Total 10% done.)");
    report.SetProgress(20);
    report.SetStatusText("'a.bin' file copy... (Total 20% done.)");
    report.ReportStatus("CheckSum OK.", true, STATUS_NORMAL);
    EXPECT_EQ(out.str(),
              "Set file name OK.\n'a.bin' file copy... (Total 10% done.)\n"
              "'a.bin' file copy... (Total 20% done.)\nCheckSum OK.\n");
}

TEST_F(ConsoleReportTest, ProgressTextEndsAnOpenLogLineFirst) {
    ConsoleReport report(out, err, false);
    report.ReportStatus("Status check.", false, STATUS_NORMAL);
    report.SetStatusText("AD Erase... (5% done.)");
    EXPECT_EQ(out.str(), "Status check.\nAD Erase... (5% done.)\n");
}

TEST_F(ConsoleReportTest, OnATerminalTheProgressLineIsRedrawnAndEndedBeforeTheLog) {
    ConsoleReport report(out, err, true);
    report.ReportStatus("AD erase start.", true, STATUS_NORMAL);
    report.SetStatusText("AD Erase... (0% done.)");
    report.SetProgress(0);
    report.SetStatusText("AD Erase... (50% done.)");
    report.SetProgress(50);
    report.SetStatusText("AD Erase... (100% done.)");
    report.SetProgress(100);
    report.AppendLog("OK.\n");
    EXPECT_EQ(out.str(),
              "AD erase start.\n"
              "\r[--------------------] AD Erase... (0% done.)"
              "\r[##########----------] AD Erase... (50% done.)"
              "\r[##########----------] AD Erase... (50% done.)"
              "\r[####################] AD Erase... (100% done.)"
              "\r[####################] AD Erase... (100% done.)"
              "\nOK.\n");
}

TEST_F(ConsoleReportTest, ShorterTextBlanksWhatTheLongerOneLeft) {
    ConsoleReport report(out, err, true);
    report.SetStatusText("abcdef");
    report.SetStatusText("abc");
    EXPECT_EQ(out.str(), "\r[--------------------] abcdef\r[--------------------] abc   ");
}

TEST_F(ConsoleReportTest, WarningGoesToStandardErrorAfterTheProgressLineEnds) {
    ConsoleReport report(out, err, true);
    report.SetStatusText("AD Erase... (10% done.)");
    report.ShowWarning("Couldn't Erase AD Firmware.\r\nAD Firmware not found.", "Not found");
    EXPECT_TRUE(out.str().ends_with("(10% done.)\n"));
    EXPECT_EQ(err.str(), "Not found: Couldn't Erase AD Firmware.\nAD Firmware not found.\n");
}

TEST_F(ConsoleReportTest, KeepsTheRunsLastWordAndItsLastFailure) {
    ConsoleReport report(out, err, false);
    EXPECT_FALSE(report.RunResult());
    report.ReportStatus("Download error : Refused.", true, STATUS_ERROR);
    report.ReportStatus("Later normal text.", true, STATUS_NORMAL);
    report.PostRunFinished(1);
    EXPECT_EQ(report.RunResult(), 1);
    EXPECT_EQ(report.LastFailure(), "Download error : Refused.");
    report.ClearReport();
    EXPECT_FALSE(report.RunResult());
    EXPECT_EQ(report.LastFailure(), "");
}

}  // namespace
