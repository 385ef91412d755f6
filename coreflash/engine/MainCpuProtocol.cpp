#include "coreflash/engine/MainCpuProtocol.h"

#include "platform/SysExPacking.h"

char CMainCpuProtocol::NibbleToHex(unsigned nNibble) {
    return "0123456789ABCDEF"[nNibble & 0x0F];
}

void CMainCpuProtocol::PutHex(std::uint8_t* pDest, std::uint32_t value, int digits) {
    for (int i = digits - 1; i >= 0; --i) {
        pDest[i] = static_cast<std::uint8_t>(NibbleToHex(value & 0x0F));
        value >>= 4;
    }
}

std::uint32_t CMainCpuProtocol::HexToValue(const std::uint8_t* pText, std::size_t nAvailable) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 8 && i < nAvailable; ++i) {
        const std::uint8_t c = pText[i];
        if (c >= '0' && c <= '9') {
            value = value * 16 + (c - '0');
        } else if (c >= 'A' && c <= 'F') {
            value = value * 16 + (c - 'A' + 10);
        } else {
            break;
        }
    }
    return value;
}

std::size_t CMainCpuProtocol::Pack7(const std::uint8_t* pSource, std::size_t nCount,
                                    std::uint8_t* pDest) {
    return vx9kr::PackSevenBit(pSource, nCount, pDest);
}

std::size_t CMainCpuProtocol::BuildMessage(std::uint8_t* pMessage, std::size_t nArguments,
                                           bool bChecksum) {
    const std::uint8_t header[FRAME_HEADER] = {0xF0, 0x43, 0x50, 0x03, 0x00};
    for (std::size_t i = 0; i < FRAME_HEADER; ++i)
        pMessage[i] = header[i];
    std::size_t nEnd = ARGUMENTS_OFFSET + nArguments;
    if (bChecksum) {
        pMessage[nEnd] = vx9kr::SevenBitChecksum(pMessage + ARGUMENTS_OFFSET, nArguments);
        ++nEnd;
    }
    pMessage[nEnd] = 0xF7;
    return nEnd + 1;
}
