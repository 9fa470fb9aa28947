#pragma once

#include <stdexcept>
#include <string>

namespace velmora {

// An error that no operation handles itself; the editor shows its text in one place and goes
// on, the CLI prints it and exits with status 1.
class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text) : std::runtime_error(text) {}
};

// An image file that exists but cannot be decoded or written.
class ImageError : public Error {
public:
    using Error::Error;
};

// A file operation (copy, delete, write, rename) that the file system refused.
class FileError : public Error {
public:
    using Error::Error;
};

}  // namespace velmora
