#include <gtest/gtest.h>

#include <sstream>

#include "cli/LoadConsoleReport.h"

namespace {

using vx9kr::cli::LoadConsoleReport;

void ShowLoadOfTwoBlocks(LoadConsoleReport& report) {
    report.SetStatusText("Copying....");
    report.SetStatusText("Loading.... (  0%)");
    report.SetStatusText("Loading.... ( 50%)");
    report.SetStatusText("Loading.... ( 50%)");
    report.SetStatusText("Uninstalling....");
}

TEST(LoadConsoleReportTest, OffATerminalEachStatusTextIsALineOfItsOwn) {
    std::ostringstream out;
    LoadConsoleReport report(out, false);
    ShowLoadOfTwoBlocks(report);
    EXPECT_EQ(out.str(),
              "Copying....\nLoading.... (  0%)\nLoading.... ( 50%)\nLoading.... ( 50%)\n"
              "Uninstalling....\n");
    EXPECT_EQ(report.Status(), "Uninstalling....");
}

TEST(LoadConsoleReportTest, OnATerminalLoadingTextsShareOneLineWithABar) {
    std::ostringstream out;
    LoadConsoleReport report(out, true);
    ShowLoadOfTwoBlocks(report);
    EXPECT_EQ(out.str(),
              "Copying....\n"
              "\r[--------------------] Loading.... (  0%)"
              "\r[##########----------] Loading.... ( 50%)"
              "\r[##########----------] Loading.... ( 50%)\n"
              "Uninstalling....\n");
}

TEST(LoadConsoleReportTest, AFailureAfterTheLoadingLineStartsALineOfItsOwn) {
    std::ostringstream out;
    LoadConsoleReport report(out, true);
    report.SetStatusText("Loading.... ( 99%)");
    report.SetStatusText("Load failed!!");
    EXPECT_EQ(out.str(), "\r[###################-] Loading.... ( 99%)\nLoad failed!!\n");
    EXPECT_EQ(report.Status(), "Load failed!!");
}

}  // namespace
