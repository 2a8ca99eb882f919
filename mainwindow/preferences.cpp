// The preferences file: the settings controls' state, written when the main window closes and read
// back when it opens. One fixed record of sixteen fields: Booleans of one byte, 16-bit integers in
// the stream's byte order (little-endian), 27 bytes in all, nothing else.
#include <cstdint>
#include <exception>
#include <iostream>
#include <optional>
#include <string>

#include "engine/framework/binarystream.h"
#include "engine/framework/folderitem.h"
#include "engine/framework/text.h"
#include "engine/framework/userfolders.h"
#include "mainwindow/main.h"

namespace {

constexpr const char* kFileName = "Vimbel! preferences";

[[nodiscard]] fw::FolderItemPtr preferencesFile() {
    return fw::SpecialFolder::Preferences()->Child(kFileName, true);
}

// Stored as the low 16 bits, read back signed.
[[nodiscard]] std::uint16_t low16(std::int64_t value) {
    return static_cast<std::uint16_t>(static_cast<std::uint64_t>(value) & 0xFFFFu);
}

// A number text: Val truncated toward zero to 32 bits (NaN and out of range give the smallest
// value, whose low 16 bits are 0).
[[nodiscard]] std::uint16_t numberText(const fw::TextField& field) {
    return low16(fw::truncToInt32(fw::Val(field.Text())));
}

// The record as read, checked whole before any of it reaches a control.
struct Record {
    bool settingsShown = true;
    std::int16_t rule = 0;
    std::int16_t proportionalSize = 0;
    std::int16_t proportionalType = 0;
    std::int16_t boxWidth = 0;
    std::int16_t boxHeight = 0;
    std::int16_t independentWidth = 0;
    std::int16_t independentWidthMode = 0;
    std::int16_t independentHeight = 0;
    std::int16_t independentHeightMode = 0;
    std::int16_t quality = 0;
    bool increase = false;
    bool webNames = false;
    bool dosNames = false;
    std::int16_t exportFormat = 0;
};

// Nothing when the file cannot be opened, is shorter than the record or names no rule: such a file
// is left out entirely rather than applied in part.
[[nodiscard]] std::optional<Record> readRecord(const fw::FolderItemPtr& file) {
    try {
        const fw::BinaryStreamPtr stream = fw::BinaryStream::Open(file, true);
        Record r;
        r.settingsShown = stream->ReadBoolean();
        r.rule = stream->ReadInt16();
        r.proportionalSize = stream->ReadInt16();
        r.proportionalType = stream->ReadInt16();
        r.boxWidth = stream->ReadInt16();
        r.boxHeight = stream->ReadInt16();
        r.independentWidth = stream->ReadInt16();
        r.independentWidthMode = stream->ReadInt16();
        r.independentHeight = stream->ReadInt16();
        r.independentHeightMode = stream->ReadInt16();
        r.quality = stream->ReadInt16();
        r.increase = stream->ReadBoolean();
        (void)stream->ReadBoolean();  // reserved, always written False
        r.webNames = stream->ReadBoolean();
        r.dosNames = stream->ReadBoolean();
        r.exportFormat = stream->ReadInt16();
        stream->Close();
        // The rule names the RBType member to select.
        if (r.rule < valueOf(ResizeRule::Proportional) || r.rule > valueOf(ResizeRule::Box)) {
            std::cerr << "Vimbel!: preferences ignored: unknown resizing rule " << r.rule << '\n';
            return std::nullopt;
        }
        return r;
    } catch (const std::exception& e) {
        std::cerr << "Vimbel!: preferences ignored: " << e.what() << '\n';
        return std::nullopt;
    }
}

}  // namespace

void Main::savepref() {
    fw::SpecialFolder::CreatePreferences();
    // Create with replace writes a temporary file and renames it at Close: never a torn record.
    const fw::BinaryStreamPtr stream = fw::BinaryStream::Create(preferencesFile(), true);
    stream->WriteBoolean(DTSettings()->Value());
    stream->WriteUInt16(low16(valueOf(selectedRule(*this))));
    stream->WriteUInt16(numberText(*EFPSize()));
    stream->WriteUInt16(low16(PMPType()->ListIndex()));
    stream->WriteUInt16(numberText(*EFBWidth()));
    stream->WriteUInt16(numberText(*EFBHeight()));
    stream->WriteUInt16(numberText(*EFIWidth()));
    stream->WriteUInt16(low16(PMIWidth()->ListIndex()));
    stream->WriteUInt16(numberText(*EFIHeight()));
    stream->WriteUInt16(low16(PMIHeight()->ListIndex()));
    stream->WriteUInt16(low16(SLQuality()->Value()));
    stream->WriteBoolean(CBIncrease()->Value());
    stream->WriteBoolean(false);
    stream->WriteBoolean(CBName()->Value());
    stream->WriteBoolean(CBDos()->Value());
    stream->WriteUInt16(low16(PMExportFormat()->ListIndex()));
    stream->Close();
}

void Main::loadpref() {
    const fw::FolderItemPtr file = preferencesFile();
    if (file->Exists()) {
        if (const std::optional<Record> r = readRecord(file)) {
            // Field by field, in record order: each setting raises its control's change event,
            // whose rule fills in what the record does not hold (enabling, label, preset row).
            DTSettings()->setValue(r->settingsShown);
            RBType(r->rule)->setValue(true);
            EFPSize()->setText(fw::Str(r->proportionalSize));
            PMPType()->setListIndex(r->proportionalType);
            EFBWidth()->setText(fw::Str(r->boxWidth));
            EFBHeight()->setText(fw::Str(r->boxHeight));
            EFIWidth()->setText(fw::Str(r->independentWidth));
            PMIWidth()->setListIndex(r->independentWidthMode);
            EFIHeight()->setText(fw::Str(r->independentHeight));
            PMIHeight()->setListIndex(r->independentHeightMode);
            SLQuality()->setValue(r->quality);
            CBIncrease()->setValue(r->increase);
            CBName()->setValue(r->webNames);
            CBDos()->setValue(r->dosNames);
            PMExportFormat()->setListIndex(r->exportFormat);
        }
    }
    checksettingsdisclosure();
    enablego();
}
