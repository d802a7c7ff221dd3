#pragma once
// Operating-system errors as engine result codes. Opening a file: ENOENT, ENOTDIR, EISDIR give
// 11010, EMFILE and ENFILE 11012, EACCES and EPERM 11013, EBADF 11014, ENOMEM 11016, EXDEV
// 11025, anything else 11047. A read or write that fails for a reason of its own (EIO,
// ENOSPC, a short transfer, ...) gives 9217 or 9218 instead of 11047.

#include "tablestore/errors/StoreResult.h"

namespace wispel {

StoreResult storeResultFromErrno(int error);
StoreResult readResultFromErrno(int error);
StoreResult writeResultFromErrno(int error);
// A lock call that failed for another reason than a conflicting lock: 10249 when unmapped.
StoreResult lockResultFromErrno(int error);

}  // namespace wispel
