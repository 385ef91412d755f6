#pragma once

#include <cstdint>

// The LCD CPU's SysEx command codes. Byte 5 of a request carries the high byte, byte 6 the low one;
// the device answers with 40 OR-ed into the low byte.
enum : std::uint16_t {
    LCD_CMD_ENTER_UPDATE = 0x0000,
    LCD_CMD_EXIT_UPDATE = 0x0001,
    LCD_CMD_MODEL_NAME = 0x0002,
    LCD_CMD_VERSION = 0x0003,
    LCD_CMD_ERASE = 0x0004,
    LCD_CMD_REMOVE_DIR = 0x0005,
    LCD_CMD_DELETE_RENAME = 0x0006,
    LCD_CMD_FIND_AD = 0x000A,
    LCD_CMD_ERASE_AD = 0x000B,
    LCD_CMD_SET_FILE_NAME = 0x0103,
    LCD_CMD_DOWNLOAD = 0x0300,
    LCD_CMD_CHECKSUM = 0x0402,
    LCD_CMD_STATUS = 0x0901,
    LCD_CMD_AD_ERASE_STATUS = 0x0902,
};

inline constexpr std::uint8_t LCD_REPLY_BIT = 0x40;

// What an exchange returns.
enum : int {
    LCD_RESULT_OK = 0,
    LCD_RESULT_FAILED = 1,
    LCD_RESULT_BUSY = 3,
};

// The run mode: how the device's file store is prepared and finished.
enum : std::int16_t {
    EXEMODE_REMOVEDIR = 0,
    EXEMODE_ERASE = 1,
    EXEMODE_COPYONLY = 2,
};

// The request that takes the LCD CPU into its update mode carries this access string.
inline constexpr char LCD_ACCESS_STRING[] = "VOLK#TRM%GAZEBO?";

// Every exchange of a run waits this long for its reply.
inline constexpr int LCD_REPLY_TIMEOUT_MS = 20000;

// Animation clips of the run: a sheet flying from the computer to the device while copying, and
// from the device to its display while the device works.
inline constexpr int LCD_CLIP_COPYING = 130;
inline constexpr int LCD_CLIP_WAITING = 132;
inline constexpr int LCD_CLIP_FRAMES = 17;
