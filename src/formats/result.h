// SPDX-License-Identifier: GPL-3.0-or-later
// Expected failures are values: Result<T> holds either a T or an Error.
// The member names follow std::expected so the type can be swapped for it later.
#pragma once

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace belltower::formats {

enum class ErrorCode {
    BadInput,     // a value the user typed or a file holds does not fit (tempo 0, index too large, ...)
    DamagedData,  // a record, RE file or firmware image is cut short or inconsistent
    NotFound,     // something the format requires is missing (PPM section, TONE chunk)
    Io,           // the operating system refused to read or write a file
    Limit,        // a size limit of the phone or of Belltower would be passed
};

struct Error {
    ErrorCode code;
    std::string message;  // one specific English sentence, or the program's fixed message text

    friend bool operator==(const Error&, const Error&) = default;
};

inline Error MakeError(ErrorCode code, std::string message) {
    return Error{code, std::move(message)};
}

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}      // NOLINT(google-explicit-constructor)
    Result(Error error) : state_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

    bool has_value() const { return state_.index() == 0; }
    explicit operator bool() const { return has_value(); }

    T& value() & {
        assert(has_value());
        return std::get<0>(state_);
    }
    const T& value() const& {
        assert(has_value());
        return std::get<0>(state_);
    }
    T&& value() && {
        assert(has_value());
        return std::get<0>(std::move(state_));
    }
    const Error& error() const {
        assert(!has_value());
        return std::get<1>(state_);
    }

    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }

private:
    std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT(google-explicit-constructor)

    bool has_value() const { return !failed_; }
    explicit operator bool() const { return has_value(); }
    const Error& error() const {
        assert(failed_);
        return error_;
    }

private:
    Error error_{};
    bool failed_ = false;
};

}  // namespace belltower::formats
