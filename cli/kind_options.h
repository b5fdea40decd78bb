#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "insert_values.h"

// The options of `values set` and `insert` that only some kinds of object
// have. A command refuses such an option for any other kind, naming the
// option and its owners, before it writes anything.
enum KindOwner : unsigned {
    NoOwner = 0,
    HumanOwner = 1,
    ThingOwner = 2,
    LightOwner = 4,
    DoorOwner = 8
};

// The owner bit of an indexed object's kind code (2 light, 27 human, 35 thing);
// NoOwner for every other code.
unsigned ownerOfKind(std::uint8_t kind);
// The owner bit of an "Insert" menu entry.
unsigned ownerOfCategory(InsertCategory category);

// Whether `option` is one of the value panel's kind fields (those that
// `values set` takes), rather than an insert-only one.
bool isValuePanelKindOption(std::string_view option);

// The refusal of `option` for an object whose owner bit is `owner`, as
// "SUBJECT has no FIELD (only a OWNERS has)"; nullopt when the kind has it or
// every kind has it.
std::optional<std::string> refuseKindOption(std::string_view option, unsigned owner,
                                            const std::string& subject);
