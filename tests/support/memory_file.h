// A file held in memory that hands out at most chunk bytes per read, so tests can put a CR, an LF or a
// 0x1A at every buffer boundary; it can also fail its reads after a number of bytes.
#pragma once

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/file_system.h"
#include "platform/system_error.h"

class MemoryFile : public platform::RawFile {
  public:
    explicit MemoryFile(std::string bytes, std::size_t chunk = 1 << 20,
                        std::size_t failAfter = std::string::npos)
        : bytes_(std::move(bytes)), chunk_(chunk), failAfter_(failAfter) {}

    bool Read(void* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        if (pos_ >= failAfter_) {
            platform::SetLastSystemError(platform::GenericDeviceError());
            return false;
        }
        const std::size_t limit = std::min({size, chunk_, bytes_.size() - pos_, failAfter_ - pos_});
        std::memcpy(buffer, bytes_.data() + pos_, limit);
        pos_ += limit;
        got = limit;
        return true;
    }
    bool Write(const void* data, std::size_t size) override {
        bytes_.replace(pos_, std::min(size, bytes_.size() - pos_), static_cast<const char*>(data), size);
        pos_ += size;
        return true;
    }
    bool Seek(std::uint64_t offset) override {
        pos_ = std::min<std::size_t>(offset, bytes_.size());
        return true;
    }
    bool Length(std::uint64_t& length) override {
        length = bytes_.size();
        return true;
    }
    bool Flush() override { return true; }
    bool Close() override { return true; }

    const std::string& bytes() const { return bytes_; }

  private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t failAfter_;
    std::size_t pos_ = 0;
};
