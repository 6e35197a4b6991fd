// The attributes Windows keeps that Linux has no mode bit for (hidden,
// system, archive) live in the extended attribute "user.DOSATTRIB", as Wine
// and Samba keep them; read-only is the absence of every write bit.
#pragma once

#include <sys/stat.h>

#include <string>

#include "platform/win32_api.h"

namespace plv::posix {

constexpr DWORD kStoredAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

bool IsReadOnly(const struct stat &status);

// Stores the hidden, system and archive bits of `attributes` on an open
// file, as far as its file system can: as under Wine, a file system without
// extended attributes still takes the file, without them.
void StoreAttributes(int fd, DWORD attributes);

}  // namespace plv::posix
