#include "platform/view/PackedPixels.h"

#include "platform/core/UniqueFd.h"
#include "platform/view/PackedPixelsFormat.h"

#include <lz4.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace torvane::platform {

namespace {

bool readFully(int fd, void* into, std::size_t size) {
    auto* at = static_cast<char*>(into);
    while (size > 0) {
        ssize_t got = ::read(fd, at, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        at += got;
        size -= std::size_t(got);
    }
    return true;
}

// The open file and its header, checked against the file's length.
struct OpenedFile {
    UniqueFd fd;
    packed::Header header;
};

std::optional<OpenedFile> openPacked(const std::string& path, std::string& whyNot) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (!fd || ::fstat(fd.get(), &status) != 0) {
        whyNot = std::strerror(errno);
        return std::nullopt;
    }
    std::array<std::uint8_t, packed::headerSize> bytes{};
    auto header = readFully(fd.get(), bytes.data(), bytes.size()) ? packed::decode(bytes) : std::nullopt;
    if (!header) {
        whyNot = "not a packed picture";
        return std::nullopt;
    }
    if (std::uint64_t(status.st_size) != packed::headerSize + std::uint64_t(header->blockSize)) {
        whyNot = "the file is not as long as its header says";
        return std::nullopt;
    }
    return OpenedFile{std::move(fd), *header};
}

PictureHeader pictureHeader(const packed::Header& header) {
    return {int(header.width), int(header.height), header.opaque, PictureKind::Packed};
}

} // namespace

std::optional<PictureHeader> readPackedHeader(const std::string& path, std::string& whyNot) {
    auto file = openPacked(path, whyNot);
    if (!file)
        return std::nullopt;
    return pictureHeader(file->header);
}

bool readPackedInto(const std::string& path, const PictureHeader& expected, void* pixels, int pitch,
                    std::string& whyNot) {
    auto file = openPacked(path, whyNot);
    if (!file)
        return false;
    const auto header = pictureHeader(file->header);
    if (header.width != expected.width || header.height != expected.height) {
        whyNot = "the file has changed size";
        return false;
    }
    const int rowBytes = header.width * 4;
    if (pitch < rowBytes) {
        whyNot = "the rows given are too short";
        return false;
    }
    const int size = rowBytes * header.height;
    if (file->header.blockSize > std::uint32_t(LZ4_compressBound(size))) {
        whyNot = "the pixels are damaged";
        return false;
    }
    auto block = std::make_unique_for_overwrite<char[]>(file->header.blockSize);
    if (!readFully(file->fd.get(), block.get(), file->header.blockSize)) {
        whyNot = "the file is cut short";
        return false;
    }
    // Rows without padding unpack in place; others through a picture of their own.
    std::unique_ptr<char[]> unpadded;
    char* into = static_cast<char*>(pixels);
    if (pitch != rowBytes) {
        unpadded = std::make_unique_for_overwrite<char[]>(std::size_t(size));
        into = unpadded.get();
    }
    if (LZ4_decompress_safe(block.get(), into, int(file->header.blockSize), size) != size) {
        whyNot = "the pixels are damaged";
        return false;
    }
    for (int row = 0; unpadded && row < header.height; ++row)
        std::memcpy(static_cast<char*>(pixels) + std::size_t(row) * std::size_t(pitch),
                    unpadded.get() + std::size_t(row) * std::size_t(rowBytes), std::size_t(rowBytes));
    return true;
}

} // namespace torvane::platform
