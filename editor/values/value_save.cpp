#include "value_save.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "chunk_ids.h"
#include "number_text.h"
#include "rotation_dial.h"
#include "value_lists.h"

namespace {

using Refusal = ValueSaveRefusal;
const std::string PutNumeric = "Put numeric";
const std::string OutOfRange = "Number out of range";

struct Planner {
    const IndexRecord& before;
    IndexRecord after;
    Edit edit;

    void write(std::uint32_t pos, const std::uint8_t* bytes, std::size_t n) {
        edit.splices.push_back({pos, n, std::vector<std::uint8_t>(bytes, bytes + n)});
    }
    void writeSingle(std::uint32_t pos, StoredFloat value) {
        std::uint8_t bytes[4];
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<std::uint8_t>(value.bits >> (8 * i));
        write(pos, bytes, 4);
    }
    void writeU32(std::uint32_t pos, std::uint32_t value) { writeSingle(pos, StoredFloat{value}); }
    void writeByte(std::uint32_t pos, std::uint8_t value) { write(pos, &value, 1); }
};

// Checks one group of single fields: all numeric first, then all in range.
std::optional<Refusal> checkSingles(const ValueField* fields, std::size_t n,
                                    const std::string& title) {
    for (std::size_t i = 0; i < n; ++i)
        if (!fields[i].number.numeric())
            return Refusal{PutNumeric, title};
    for (std::size_t i = 0; i < n; ++i)
        if (!toSingle(fields[i].number.value))
            return Refusal{OutOfRange, title};
    return std::nullopt;
}

template <std::size_t N>
std::array<StoredFloat, N> singles(const std::array<ValueField, N>& fields,
                                   const std::optional<std::array<StoredFloat, N>>& stored) {
    std::array<StoredFloat, N> out{};
    for (std::size_t i = 0; i < N; ++i) {
        const StoredFloat old = stored ? (*stored)[i] : StoredFloat{};
        out[i] = *singleFor(fields[i], stored ? shownSingle(old) : std::string{}, old);
    }
    return out;
}

StoredFloat single(const ValueField& field, const std::optional<StoredFloat>& stored) {
    const StoredFloat old = stored.value_or(StoredFloat{});
    return *singleFor(field, stored ? shownSingle(old) : std::string{}, old);
}

// The kind's own fields, checked in the editor's order.
std::optional<Refusal> checkKindFields(const IndexRecord& record, const ValueSaveInput& in) {
    const std::uint8_t kind = in.panelKind.value_or(record.kind);
    if (kind == LightKind && in.brightness) {
        if (!in.brightness->number.numeric())
            return Refusal{PutNumeric, "Light brightness"};
        const std::optional<float> b = toSingle(in.brightness->number.value);
        if (!b || !(*b >= 0 && *b < 6))
            return Refusal{"Value 0 ... 5", "Light brightness"};
    }
    if (kind == LightKind && in.colour) {
        // The colour boxes are filled by the sliders and the display only; a
        // text they never show is refused rather than written.
        for (std::size_t c = 0; c < 3; ++c) {
            const ValueField& f = (*in.colour)[c];
            if (record.colour && showsText(f, shownColour((*record.colour)[c])))
                continue;
            if (!f.number.numeric() || !toSingle(f.number.value / 255.0))
                return Refusal{PutNumeric, "Colour"};
        }
    }
    if (kind == ThingKind && in.weight)
        if (auto r = checkSingles(&*in.weight, 1, "Weight"))
            return r;
    if (kind == HumanKind) {
        if (in.aggression) {
            if (!in.aggression->number.numeric())
                return Refusal{PutNumeric, "Aggression"};
            const std::optional<float> a = toSingle(in.aggression->number.value);
            if (!a || !(*a >= 0 && *a <= 1))
                return Refusal{"Value 0 ... 1", "Agression"};
        }
        if (in.weight)
            if (auto r = checkSingles(&*in.weight, 1, "Weight"))
                return r;
        if (in.sex) {
            if (!in.sex->number.numeric())
                return Refusal{PutNumeric, "Sex"};
            const double s = roundHalfEven(in.sex->number.value);
            if (!(s >= 0 && s <= 255))
                return Refusal{"Value 0 ... 255", "Sex"};
        }
    }
    if (kind == ThingKind && in.soundCode && !itemWithCode(SoundItems, *in.soundCode))
        return Refusal{"No such sound", "Sound"};
    if (kind == HumanKind && in.behaviourCode && !itemWithCode(BehaviourItems, *in.behaviourCode))
        return Refusal{"No such behaviour", "Behaviour"};
    return std::nullopt;
}

std::optional<Refusal> checkCommonFields(const ValueSaveInput& in, std::int32_t* angle) {
    if (in.translation)
        if (auto r = checkSingles(in.translation->data(), 3, "Translation"))
            return r;
    if (in.size)
        if (auto r = checkSingles(in.size->data(), 3, "Size"))
            return r;
    if (in.verticalAngle) {
        if (!in.verticalAngle->number.numeric())
            return Refusal{PutNumeric, "Vert Rotation"};
        const double n = roundHalfEven(in.verticalAngle->number.value);
        // A whole number beyond the 32-bit range is outside -180 ... 180 as well.
        if (!(n >= -180 && n <= 180))
            return Refusal{"Value -180 ... 180", "Vert Rotation"};
        *angle = static_cast<std::int32_t>(n);
    }
    return std::nullopt;
}

void planRotation(Planner& p, const ValueSaveInput& in, std::int32_t angle) {
    if (!in.verticalAngle && !in.dialRotation)
        return;
    const std::uint32_t at = *p.before.translationPos + placement::Rotation;
    if (in.panelKind.value_or(p.before.kind) == LightKind) {
        p.write(at, LightRotationBytes.data(), LightRotationBytes.size());
        std::array<StoredFloat, 4> fixed{};
        for (std::size_t i = 0; i < 4; ++i)
            for (std::size_t b = 0; b < 4; ++b)
                fixed[i].bits |= std::uint32_t(LightRotationBytes[4 * i + b]) << (8 * b);
        p.after.rotation = fixed;
        return;
    }
    std::array<StoredFloat, 4> q = in.dialRotation ? *in.dialRotation : *p.before.rotation;
    const StoredFloat storedQ1 = (*p.before.rotation)[1];
    q[1] = storedQ1;
    if (in.verticalAngle && !showsText(*in.verticalAngle, shownAngle(storedQ1)))
        q[1] = StoredFloat::fromValue(q1FromAngle(angle));
    for (std::size_t i = 0; i < 4; ++i)
        p.writeSingle(at + 4 * std::uint32_t(i), q[i]);
    p.after.rotation = q;
}

void planKindFields(Planner& p, const ValueSaveInput& in) {
    const IndexRecord& r = p.before;
    const std::uint8_t kind = in.panelKind.value_or(r.kind);
    if (kind == HumanKind) {
        if (in.sex && r.behaviourPos) {
            p.after.sex = static_cast<std::uint8_t>(roundHalfEven(in.sex->number.value));
            p.writeByte(*r.behaviourPos + 4, *p.after.sex);
        }
        if (in.behaviourCode && r.behaviourPos) {
            p.after.behaviour = static_cast<std::uint8_t>(*in.behaviourCode);
            p.writeByte(*r.behaviourPos, *p.after.behaviour);
        }
        if (in.aggression && r.aggressionPos) {
            p.after.aggression = single(*in.aggression, r.aggression);
            p.writeSingle(*r.aggressionPos, *p.after.aggression);
        }
    }
    if ((kind == HumanKind || kind == ThingKind) && in.weight && r.weightPos) {
        p.after.weight = single(*in.weight, r.weight);
        p.writeSingle(*r.weightPos, *p.after.weight);
    }
    if (kind == ThingKind && in.soundCode && r.soundPos) {
        p.after.sound = static_cast<std::uint8_t>(*in.soundCode);
        p.writeU32(*r.soundPos, static_cast<std::uint32_t>(*in.soundCode));
    }
    if (kind == LightKind && in.colour && r.colourPos) {
        std::array<StoredFloat, 3> rgb{};
        for (std::size_t c = 0; c < 3; ++c) {
            const ValueField& f = (*in.colour)[c];
            const StoredFloat old = r.colour ? (*r.colour)[c] : StoredFloat{};
            rgb[c] = r.colour && showsText(f, shownColour(old))
                         ? old
                         : StoredFloat::fromValue(*toSingle(f.number.value / 255.0));
            p.writeSingle(*r.colourPos + 4 * std::uint32_t(c), rgb[c]);
        }
        p.after.colour = rgb;
    }
    if (kind == LightKind && in.brightness && r.brightnessPos) {
        p.after.brightness = single(*in.brightness, r.brightness);
        p.writeSingle(*r.brightnessPos, *p.after.brightness);
    }
}

} // namespace

std::string shownSingle(StoredFloat value) {
    return formatSingle(value.value());
}

std::string shownColour(StoredFloat fraction) {
    return formatSingle(static_cast<float>(double(fraction.value()) * 255.0));
}

std::string shownAngle(StoredFloat q1) {
    return verticalFromStored(0, q1.value()).q1AngleText;
}

std::variant<ValueSavePlan, ValueSaveRefusal>
planValueSave(const SceneIndex& index, std::size_t entry, const ValueSaveInput& in) {
    ValueSavePlan plan;
    const IndexRecord& record = index.entries.at(entry);
    plan.record = record;
    if (record.nameOnly || !record.translationPos || !record.translation || !record.rotation ||
        !record.size) {
        plan.nothingToWrite = true;
        return plan;
    }
    for (const auto* group : {&in.translation, &in.size})
        if (*group)
            for (const ValueField& f : **group)
                if (f.number.state == FieldNumber::State::Empty)
                    return Refusal{"Fill all fields", ""};
    if (auto r = checkKindFields(record, in))
        return *r;
    std::int32_t angle = 0;
    if (auto r = checkCommonFields(in, &angle))
        return *r;

    Planner p{record, record, {}};
    const std::uint32_t t = *record.translationPos;
    if (in.translation) {
        p.after.translation = singles(*in.translation, record.translation);
        for (std::uint32_t i = 0; i < 3; ++i)
            p.writeSingle(t + 4 * i, (*p.after.translation)[i]);
    }
    planRotation(p, in, angle);
    if (in.size) {
        p.after.size = singles(*in.size, record.size);
        for (std::uint32_t i = 0; i < 3; ++i)
            p.writeSingle(t + placement::Size + 4 * i, (*p.after.size)[i]);
    }
    planKindFields(p, in);

    std::sort(p.edit.splices.begin(), p.edit.splices.end(),
              [](const Splice& a, const Splice& b) { return a.pos < b.pos; });
    for (std::size_t i = 1; i < p.edit.splices.size(); ++i) {
        const Splice& prev = p.edit.splices[i - 1];
        if (prev.pos + prev.removed > p.edit.splices[i].pos)
            return Refusal{"The entry's values overlap in the file; nothing was saved.", ""};
    }
    p.edit.mayWriteInPlace = true;
    plan.edit = std::move(p.edit);
    plan.record = p.after;
    plan.expect.records.push_back({entry, p.after});
    return plan;
}
