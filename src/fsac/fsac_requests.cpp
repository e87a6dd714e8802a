#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "base/byte_order.h"
#include "base/phone_text.h"
#include "fsac/fsac_records.h"

namespace velmora {

namespace {

FsacRequest Header(FsacOp op, std::size_t length) {
    FsacRequest request(length, 0);
    PutBe32(request, 0, static_cast<std::uint32_t>(op));
    return request;
}

// The phone's bytes for a text: one a character, so every limit below counts characters.
FsacResult<std::string> PhoneBytes(std::string_view text) {
    auto encoded = EncodePhoneText(text);
    if (!encoded.Ok()) return {FsacError::NoPhoneByte, std::move(encoded.refused)};
    return std::move(encoded.bytes);
}

FsacResult<std::string> PhonePath(std::string_view path) {
    auto bytes = PhoneBytes(path);
    if (!bytes) return bytes;
    if (bytes.Value().size() > kMaxPhonePath) return FsacError::PathTooLong;
    if (bytes.Value().find('\0') != std::string::npos) return FsacError::NulInText;
    return bytes;
}

// The path's NUL and the second NUL are already there: the request starts zero-filled.
void PutPath(FsacRequest& request, std::size_t at, std::string_view path) {
    std::copy(path.begin(), path.end(), request.begin() + static_cast<std::ptrdiff_t>(at));
}

void PutUnits(FsacRequest& request, std::string_view text) {
    for (char c : text) {
        // Character codes are 0 to 255: a sign-extended char would give FF xx.
        request.push_back(0);
        request.push_back(static_cast<std::uint8_t>(c));
    }
}

FsacRequest SearchPattern(std::string_view text, bool withSeparator) {
    const std::size_t slash = text.rfind('/');
    const std::size_t folderLength = slash == std::string_view::npos ? 0 : slash + 1;
    FsacRequest request = Header(FsacOp::SearchStart, 4);
    request.reserve(4 + 2 * text.size() + 4);
    PutUnits(request, text.substr(0, folderLength));
    if (withSeparator) AppendBe16(request, kSeparatorUnit);
    PutUnits(request, text.substr(folderLength));
    AppendBe16(request, 0);
    return request;
}

}  // namespace

FsacResult<FsacRequest> BuildOpenRequest(std::string_view path, std::uint32_t attributes) {
    auto bytes = PhonePath(path);
    if (!bytes) return {bytes.Error(), bytes.ErrorDetail()};
    FsacRequest request = Header(FsacOp::Open, kOpenRequestSize);
    PutBe32(request, 4, attributes);
    PutPath(request, kPathOffsetOpen, bytes.Value());
    return request;
}

FsacResult<FsacRequest> BuildAttributeChangeRequest(std::string_view path,
                                                    std::uint32_t attributes) {
    auto bytes = PhonePath(path);
    if (!bytes) return {bytes.Error(), bytes.ErrorDetail()};
    FsacRequest request = Header(FsacOp::Open, bytes.Value().size() + 10);
    PutBe32(request, 4, attributes);
    PutPath(request, kPathOffsetOpen, bytes.Value());
    return request;
}

FsacRequest BuildReadRequest(std::uint32_t wanted) {
    FsacRequest request = Header(FsacOp::Read, 10);
    PutBe32(request, 4, NextBlockSize(wanted));
    return request;
}

FsacResult<FsacRequest> BuildWriteRequest(std::span<const std::uint8_t> data) {
    if (data.size() > kFsacBlockSize) return FsacError::BlockTooLong;
    FsacRequest request = Header(FsacOp::Write, 8 + data.size());
    PutBe32(request, 4, static_cast<std::uint32_t>(data.size()));
    std::copy(data.begin(), data.end(), request.begin() + 8);
    return request;
}

FsacRequest BuildCloseRequest() {
    return Header(FsacOp::Close, 4);
}

FsacResult<FsacRequest> BuildDeleteRequest(std::string_view path) {
    auto bytes = PhonePath(path);
    if (!bytes) return {bytes.Error(), bytes.ErrorDetail()};
    FsacRequest request = Header(FsacOp::Delete, kDeleteRequestSize);
    PutPath(request, kPathOffsetDelete, bytes.Value());
    return request;
}

FsacResult<FsacRequest> BuildSearchStartRequest(std::string_view text, bool fileSystemFlag) {
    auto bytes = PhoneBytes(text);
    if (!bytes) return {bytes.Error(), bytes.ErrorDetail()};
    if (bytes.Value().size() > kMaxSearchText) return FsacError::PatternTooLong;
    // A NUL unit is the pattern's terminator.
    if (bytes.Value().find('\0') != std::string::npos) return FsacError::NulInText;
    return SearchPattern(bytes.Value(), !fileSystemFlag);
}

FsacRequest BuildVolumeSearchRequest(char volumeLetter) {
    const char text[] = {'/', volumeLetter, '/', '*'};
    return SearchPattern(std::string_view(text, sizeof text), true);
}

FsacRequest BuildSearchNextRequest(bool fileSystemFlag) {
    FsacRequest request = Header(FsacOp::SearchNext, 7);
    request[4] = fileSystemFlag ? 0 : 1;
    return request;
}

FsacRequest BuildVersionRequest() {
    return Header(FsacOp::Version, 6);
}

FsacRequest BuildVolumesRequest() {
    return Header(FsacOp::Volumes, 6);
}

FsacRequest BuildFreeSpaceRequest(char volumeLetter) {
    FsacRequest request = Header(FsacOp::FreeSpace, 10);
    request[5] = 0x07;
    request[6] = static_cast<std::uint8_t>(volumeLetter);
    request[7] = '/';
    return request;
}

std::uint32_t NextBlockSize(std::int64_t missing) {
    if (missing <= 0) return 0;
    return static_cast<std::uint32_t>(std::min<std::int64_t>(missing, kFsacBlockSize));
}

}  // namespace velmora
