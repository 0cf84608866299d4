#pragma once
// A failed file operation: carries the operating system's error code (errno).
#include <stdexcept>
#include <string>

namespace zanto {

class FileError : public std::runtime_error {
public:
    explicit FileError(int error, const std::string& what = {});
    int Error() const { return error_; }

private:
    int error_;
};

}  // namespace zanto
