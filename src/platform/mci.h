#pragma once
// Multimedia command strings ("open ... alias ...", "play", "pause",
// "resume", "stop", "close", "put ... destination at", "window ... handle",
// "set ... audio", "status ... window handle"), interpreted over the movie
// player of media.h. Results are 0 on success and the interface's error
// numbers otherwise.
#include "platform/hwnd.h"

#include <QString>
#include <functional>

namespace plat::mci {

enum Error {
    MCIERR_INVALID_DEVICE_ID = 257,
    MCIERR_UNRECOGNIZED_KEYWORD = 259,
    MCIERR_UNRECOGNIZED_COMMAND = 261,
    MCIERR_INVALID_DEVICE_NAME = 263,
    MCIERR_PARAM_OVERFLOW = 268,
    MCIERR_BAD_INTEGER = 270,
    MCIERR_MISSING_PARAMETER = 273,
    MCIERR_UNSUPPORTED_FUNCTION = 274,
    MCIERR_FILE_NOT_FOUND = 275,
    MCIERR_OUTOFRANGE = 282,
    MCIERR_DUPLICATE_ALIAS = 289,
    MCIERR_NO_CLOSING_QUOTE = 294,
    MCIERR_INVALID_FILE = 296,
    MCIERR_NO_WINDOW = 346,
};

// Sends one command. A reply (status commands) goes into *reply, cut to
// replyLength - 1 characters as a reply buffer would hold it; a reply that
// does not fit is MCIERR_PARAM_OVERFLOW. No notification window is supported
// (the program never asks for one).
int mciSendString(const QString& command, QString* reply = nullptr, int replyLength = 0,
                  win::HWND callback = 0);

// Tests watch every command and its result.
void setCommandLog(std::function<void(const QString& command, int result)> log);
// Closes every open device (tests, between cases).
void closeAll();

} // namespace plat::mci
