#pragma once
// The exception the XML writer raises when it is misused (an end tag without a start tag, an
// attribute outside a start tag, an unknown namespace, a second declaration …). Its name is
// "XMLWriterException"; its reason says what went wrong.

#include <exception>
#include <string>
#include <string_view>

class XMLWriterException : public std::exception {
public:
    explicit XMLWriterException(std::string reason) : reason_(std::move(reason)) {}

    static constexpr std::string_view name() { return "XMLWriterException"; }
    const std::string& reason() const { return reason_; }
    const char* what() const noexcept override { return reason_.c_str(); }

private:
    std::string reason_;
};
