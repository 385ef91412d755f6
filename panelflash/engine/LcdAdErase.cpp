#include "panelflash/engine/LcdUpdater.h"
#include "platform/Format.h"

namespace {

constexpr int AD_ERASE_POLL_PAUSE_MS = 500;

}  // namespace

void CLcdUpdater::RunAdErase() {
    m_abMessage[PAYLOAD_OFFSET] = 0xF7;
    int r = Exchange(LCD_CMD_FIND_AD, 8, LCD_REPLY_TIMEOUT_MS);
    if (r != LCD_RESULT_OK) {
        m_report.ShowWarning("Couldn't Erase AD Firmware.\r\nAD Firmware not found.", "Not found");
        m_report.PostRunFinished(LCD_RESULT_FAILED);
        return;
    }

    m_abMessage[PAYLOAD_OFFSET] = 0xF7;
    r = Exchange(LCD_CMD_ERASE_AD, 8, LCD_REPLY_TIMEOUT_MS);
    // Polled until the device reports 100 percent; each poll is bounded by its time limit.
    if (r == LCD_RESULT_OK) {
        do {
            m_clock.SleepMs(AD_ERASE_POLL_PAUSE_MS);
            m_abMessage[PAYLOAD_OFFSET] = 0xF7;
            r = Exchange(LCD_CMD_AD_ERASE_STATUS, 8, LCD_REPLY_TIMEOUT_MS);
            if (r == LCD_RESULT_OK || r == LCD_RESULT_BUSY) {
                const int nPercent = m_abMessage[PAYLOAD_OFFSET];
                m_report.SetStatusText(vx9kr::Format("AD Erase... (%d%% done.)", nPercent));
                m_report.SetProgress(nPercent);
            }
        } while (r == LCD_RESULT_BUSY);
    }
    m_report.PostRunFinished(r);
}
