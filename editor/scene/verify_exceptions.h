#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "byte_view.h"

// Records whose layout the whole-file check reports on purpose: an edit the
// editor makes by design leaves them so, and stored files hold them. The
// check and `quill verify` excuse problems inside such a record, naming the
// exception and its reason, and still report everything else.
//
// Keep this list short and explicit: each entry is one known record, matched
// as narrowly as its bytes allow.
struct KnownLayoutException {
    std::string name;
    std::string reason;
    // True when the record chunk at `recordPos` (id `recordId`: 0x4010, 0xAE21
    // or 0xAE51) in `file` is this exception. Reads only inside `file`.
    bool (*matches)(ByteView file, std::uint64_t recordPos, std::uint16_t recordId);
};

const std::vector<KnownLayoutException>& knownLayoutExceptions();

// The name held by the definition record at `recordPos` (its first 0xAE23
// child, without the 0 byte), or empty. For exception matchers.
std::string definitionRecordName(ByteView file, std::uint64_t recordPos);
