#pragma once
// The desktop shell's "open" of a document or an address, behind an interface so that tests and the
// dialogs can swap the real desktop for a fake.

class QUrl;

class IShellOpen {
public:
    // Results follow the shell's convention: a value above 32 is success, 32 or less names the failure
    // (2 file not found, 31 no application associated, ...; CLinkLabel::ErrorMessage has the whole table).
    static constexpr int kSuccess = 33;
    static constexpr int kFileNotFound = 2;
    static constexpr int kNoAssociation = 31;

    virtual ~IShellOpen() = default;
    virtual int Open(const QUrl& target) = 0;
};
