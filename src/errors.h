// The error kinds the program reports; each carries its German message as 8-bit text.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// A file error with the operating system's code (or the export's own 105).
class EInOutError : public Exception {
public:
    explicit EInOutError(int code) : Exception(MessageFor(code)), errorCode_(code) {}
    int ErrorCode() const noexcept { return errorCode_; }
    static std::string MessageFor(int code);

private:
    int errorCode_;
};

// A settings error, reading or storing: the run's event tells the two apart.
class ERegistryException : public Exception {
public:
    enum class Access { Read, Store };
    explicit ERegistryException(std::string message, Access access = Access::Read)
        : Exception(std::move(message)), access_(access)
    {
    }
    Access Kind() const noexcept { return access_; }

private:
    Access access_;
};

// A switch of the command line with a value it does not take.
class ECommandLineError : public Exception {
    using Exception::Exception;
};

class EMathError : public Exception {
    using Exception::Exception;
};

class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError("Gleitkommadivision durch Null") {}
};

class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError("Ungültige Gleitkommaoperation") {}
};

class EOverflow : public EMathError {
public:
    EOverflow() : EMathError("Gleitkommaüberlauf") {}
};
