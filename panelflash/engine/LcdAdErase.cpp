#include "panelflash/engine/LcdUpdater.h"
#include "platform/Format.h"

namespace {

constexpr int AD_ERASE_POLL_PAUSE_MS = 500;

}  // namespace

void CLcdUpdater::RunAdErase() {
    int r = ExchangeEmpty(LCD_CMD_FIND_AD);
    if (r != LCD_RESULT_OK) {
        m_report.ShowWarning("Couldn't Erase AD Firmware.\r\nAD Firmware not found.", "Not found");
        m_report.PostRunFinished(LCD_RESULT_FAILED);
        return;
    }

    r = ExchangeEmpty(LCD_CMD_ERASE_AD);
    // Polled until the device reports 100 percent; each poll is bounded by its time limit.
    if (r == LCD_RESULT_OK) {
        do {
            m_clock.SleepMs(AD_ERASE_POLL_PAUSE_MS);
            r = ExchangeEmpty(LCD_CMD_AD_ERASE_STATUS);
            if (r == LCD_RESULT_OK || r == LCD_RESULT_BUSY) {
                const int nPercent = m_abMessage[PAYLOAD_OFFSET];
                m_report.SetStatusText(vx9kr::Format("AD Erase... (%d%% done.)", nPercent));
                m_report.SetProgress(nPercent);
            }
        } while (r == LCD_RESULT_BUSY);
    }
    m_report.PostRunFinished(r);
}
