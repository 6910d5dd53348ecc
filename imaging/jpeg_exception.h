// The exception of the JPEG decoding classes. It carries a libjpeg message code, or the cause
// of a file error met while opening or closing a file, and the formatted message.
#pragma once

#include <exception>
#include <string>

class COXJPEGException : public std::exception
{
public:
    COXJPEGException(int cause, std::string message)
        : m_nCause(cause), m_strMessage(std::move(message))
    {}

    // Copies the message into buffer, cut to size - 1 characters and terminated; true.
    bool GetErrorMessage(char* buffer, unsigned size) const;
    const char* what() const noexcept override { return m_strMessage.c_str(); }

    int m_nCause;
    std::string m_strMessage;
};
