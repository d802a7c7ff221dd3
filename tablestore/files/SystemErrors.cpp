#include "tablestore/files/SystemErrors.h"

#include <cerrno>
#include <utility>

namespace wispel {

namespace {

constexpr std::pair<int, StoreResult> kErrnoCodes[] = {
    {ENOENT, storecode::kInvalidPath},   {ENOTDIR, storecode::kInvalidPath},
    {EISDIR, storecode::kInvalidPath},
    {EMFILE, storecode::kTooManyFiles},  {ENFILE, storecode::kTooManyFiles},
    {EACCES, storecode::kAccessDenied},  {EPERM, storecode::kAccessDenied},
    {EBADF, storecode::kInvalidHandle},  {ENOMEM, storecode::kOutOfMemory},
    {EXDEV, storecode::kTableMoved},
    // A table file is never reached through a symbolic link (opened with O_NOFOLLOW), and
    // never created where anything, a link included, already has its name (O_EXCL).
    {ELOOP, storecode::kAccessDenied},   {EEXIST, storecode::kTableExists},
};

StoreResult mapped(int error, StoreResult otherwise) {
    for (const auto& [from, code] : kErrnoCodes) {
        if (from == error) return code;
    }
    return otherwise;
}

}  // namespace

StoreResult storeResultFromErrno(int error) { return mapped(error, storecode::kSystemError); }
StoreResult readResultFromErrno(int error) { return mapped(error, storecode::kReadError); }
StoreResult writeResultFromErrno(int error) { return mapped(error, storecode::kWriteError); }
StoreResult lockResultFromErrno(int error) { return mapped(error, storecode::kLockFailure); }

}  // namespace wispel
