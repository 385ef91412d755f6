#include <algorithm>
#include <cctype>
#include <fstream>
#include <memory>
#include <vector>

#include "panelflash/engine/LcdFileSet.h"
#include "panelflash/engine/LcdUpdater.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "platform/SysExPacking.h"

using vx9kr::Format;

namespace {

constexpr std::size_t BLOCK_SIZE = 3500;
constexpr int STATUS_POLL_PAUSE_MS = 2000;
constexpr int AD_FIRMWARE_ID = 4;

// In the normal mode the device receives files 1 to 4 under staged names, with '5' as their third
// character, and swaps them in with delete & rename at the end.
std::string StagedName(std::string name) {
    if (name.size() > 2)
        name[2] = '5';
    return name;
}

bool BeginsWithIgnoringCase(const std::vector<std::uint8_t>& data, std::string_view prefix) {
    if (data.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(data[i]) != std::toupper(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

// False when the file cannot be read whole: its size as the file system tells it, then all of it.
bool ReadWhole(const std::string& strPath, std::vector<std::uint8_t>& data) {
    std::error_code error;
    const std::filesystem::path path = vx9kr::PathFromText(strPath);
    const std::uintmax_t nSize = std::filesystem::file_size(path, error);
    if (error)
        return false;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    data.resize(static_cast<std::size_t>(nSize));
    file.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    return static_cast<std::uintmax_t>(file.gcount()) == nSize;
}

}  // namespace

int CLcdUpdater::WaitUntilIdle() {
    m_report.OpenAnimation(LCD_CLIP_WAITING);
    int nFrame = 0;
    int r;
    do {
        m_clock.SleepMs(STATUS_POLL_PAUSE_MS);
        r = ExchangeEmpty(LCD_CMD_STATUS);
        m_report.ShowAnimationFrame(nFrame);
        nFrame = (nFrame + 1) % LCD_CLIP_FRAMES;
    } while (r == LCD_RESULT_BUSY);
    m_report.CloseAnimation();
    return r;
}

void CLcdUpdater::RunUpdate(std::string& strFolder) {
    int r = LCD_RESULT_OK;
    CLcdFileSet fileSet;
    if (fileSet.Find(strFolder, *this) != 0) {
        m_report.ReportStatus("Update file not found.", true, STATUS_ERROR);
        for (int nId = 0; nId < CLcdFileSet::FILE_COUNT; ++nId) {
            if (!fileSet.GetPath(nId)) {
                m_report.AppendLog(Format("  %s\n", CLcdFileSet::Pattern(nId)));
            }
        }
        m_report.PostRunFinished(LCD_RESULT_FAILED);
        return;
    }

    r = Exchange(LCD_CMD_ENTER_UPDATE, PutTextPayload(LCD_ACCESS_STRING), LCD_REPLY_TIMEOUT_MS);
    if (r == LCD_RESULT_OK) {
        r = ExchangeEmpty(LCD_CMD_MODEL_NAME);
    }
    if (r == LCD_RESULT_OK) {
        r = ExchangeEmpty(LCD_CMD_VERSION);
    }
    if (r == LCD_RESULT_OK && m_nExeMode == EXEMODE_REMOVEDIR) {
        r = ExchangeEmpty(LCD_CMD_REMOVE_DIR);
        if (r == LCD_RESULT_OK)
            r = WaitUntilIdle();
    } else if (r == LCD_RESULT_OK && m_nExeMode == EXEMODE_ERASE) {
        r = ExchangeEmpty(LCD_CMD_ERASE);
    }

    std::uint64_t nBytesSent = 0;
    int nLastPercent = 0;
    for (int nId = 0; nId < CLcdFileSet::FILE_COUNT && r == LCD_RESULT_OK; ++nId) {
        r = SendFile(nId, *fileSet.GetPath(nId), fileSet.GetTotalSize(), nBytesSent, nLastPercent);
    }
    m_report.AppendLog("\n");

    if (r == LCD_RESULT_OK && m_nExeMode == EXEMODE_REMOVEDIR && fileSet.GetPath(1)) {
        const std::string strName = StagedName(vx9kr::FileNamePart(*fileSet.GetPath(1)));
        r = Exchange(LCD_CMD_DELETE_RENAME, PutTextPayload(strName), LCD_REPLY_TIMEOUT_MS);
    }
    if (r == LCD_RESULT_OK) {
        r = ExchangeEmpty(LCD_CMD_EXIT_UPDATE);
    }
    if (r == LCD_RESULT_OK)
        m_report.SetProgress(100);
    m_report.PostRunFinished(r == LCD_RESULT_OK ? LCD_RESULT_OK : LCD_RESULT_FAILED);
}

int CLcdUpdater::SendFile(int nId, const std::string& strPath, std::uint32_t nTotalSize,
                          std::uint64_t& nBytesSent, int& nLastPercent) {
    std::string strName = vx9kr::FileNamePart(strPath);
    std::error_code error;
    const std::uintmax_t nSize = std::filesystem::file_size(vx9kr::PathFromText(strPath), error);
    m_report.AppendLog(Format("\n--------\n'%s'\nFile size : %ld bytes\n", strName.c_str(),
                              error ? 0L : static_cast<long>(nSize)));

    // Nothing of a file that cannot be read whole is sent.
    std::vector<std::uint8_t> data;
    if (error || !ReadWhole(strPath, data)) {
        m_report.ReportStatus(Format("'%s' file open error.", strName.c_str()), true, STATUS_ERROR);
        return LCD_RESULT_FAILED;
    }
    if (nId == AD_FIRMWARE_ID && data.size() > 5 && BeginsWithIgnoringCase(data, "TB3K")) {
        std::copy_n("VX9KR", 5, data.begin());
    }

    m_report.OpenAnimation(LCD_CLIP_COPYING);
    int nFrame = 0;
    if (m_nExeMode == EXEMODE_REMOVEDIR && nId >= 1)
        strName = StagedName(strName);

    int r = Exchange(LCD_CMD_SET_FILE_NAME, PutTextPayload(strName), LCD_REPLY_TIMEOUT_MS);
    if (r == LCD_RESULT_OK) {
        r = SendBlocks(strName, data.data(), data.size(), nTotalSize, nBytesSent, nLastPercent,
                       nFrame);
    }
    if (r == LCD_RESULT_OK) {
        std::uint16_t wSum = 0;
        for (std::uint8_t b : data)
            wSum = static_cast<std::uint16_t>(wSum + b);
        const std::string strChecksum =
            Format("%08X%08X%04X", 0u, static_cast<unsigned>(data.size()), unsigned{wSum});
        r = Exchange(LCD_CMD_CHECKSUM, PutTextPayload(strChecksum), LCD_REPLY_TIMEOUT_MS);
    }
    m_report.CloseAnimation();
    data = {};

    if (r == LCD_RESULT_OK) {
        m_report.ReportStatus("Status check.", false, STATUS_NORMAL);
        r = WaitUntilIdle();
    }
    return r;
}

int CLcdUpdater::SendBlocks(const std::string& strName, const std::uint8_t* pData,
                            std::size_t nSize, std::uint32_t nTotalSize, std::uint64_t& nBytesSent,
                            int& nLastPercent, int& nFrame) {
    int r = LCD_RESULT_OK;
    for (std::size_t nOffset = 0; nOffset < nSize && r == LCD_RESULT_OK;) {
        const std::size_t nBlock = std::min(BLOCK_SIZE, nSize - nOffset);
        const std::string strHeader =
            Format("%04X%08X", static_cast<unsigned>(nBlock), static_cast<unsigned>(nOffset));
        std::copy(strHeader.begin(), strHeader.end(), m_abMessage.begin() + PAYLOAD_OFFSET);
        std::uint8_t* pPacked = m_abMessage.data() + PAYLOAD_OFFSET + strHeader.size();
        const std::size_t nPacked = PackSevenBit(pData + nOffset, nBlock, pPacked);
        pPacked[nPacked] = vx9kr::SevenBitChecksum(m_abMessage.data() + PAYLOAD_OFFSET,
                                                   strHeader.size() + nPacked);
        pPacked[nPacked + 1] = 0xF7;
        r = Exchange(LCD_CMD_DOWNLOAD, nPacked + 21, LCD_REPLY_TIMEOUT_MS);

        // A failed block counts too: the bar shows how far the copy got.
        nOffset += nBlock;
        nBytesSent += nBlock;
        const int nPercent =
            nTotalSize == 0 ? 100 : static_cast<int>(nBytesSent * 100 / nTotalSize);
        if (nPercent != nLastPercent) {
            m_report.StepProgress();
            nLastPercent = nPercent;
            // After a failure the status line keeps the failure's text.
            if (r == LCD_RESULT_OK) {
                m_report.SetStatusText(
                    Format("'%s' file copy... (Total %d%% done.)", strName.c_str(), nPercent));
            }
        }
        m_report.ShowAnimationFrame(nFrame);
        nFrame = (nFrame + 1) % LCD_CLIP_FRAMES;
    }
    return r;
}
