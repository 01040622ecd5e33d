#include "IdentityKey.h"

#include "Card.h"
#include "FolderFiles.h"
#include "IinTable.h"
#include "UniqueFd.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Venue {
namespace {

constexpr char kDomain[] = "kestrin-id-v1";
constexpr mode_t kKeyFileMode = 0640;

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t wrote = ::write(fd, data, size);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        data += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
    return true;
}

} // namespace

IdentityKey::IdentityKey(std::string key, int version) : m_key(std::move(key)), m_version(version) {}

std::optional<IdentityKey> IdentityKey::Load(const std::string& path, std::string& error) {
    const Base::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid()) {
        error = "cannot open the venue key file " + path + ": " + std::strerror(errno);
        return std::nullopt;
    }
    std::string key(kKeyBytes + 1, '\0');
    std::size_t got = 0;
    while (got < key.size()) {
        const ssize_t n = ::read(fd.Get(), key.data() + got, key.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "cannot read the venue key file " + path + ": " + std::strerror(errno);
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    if (got != kKeyBytes) {
        error = "the venue key file " + path + " does not hold " + std::to_string(kKeyBytes) + " bytes";
        return std::nullopt;
    }
    key.resize(kKeyBytes);
    return IdentityKey(std::move(key), 1);
}

bool IdentityKey::Create(const std::string& path, std::string& error) {
    const Base::UniqueFd folder = Base::OpenFolder(FolderOf(path), false);
    if (!folder.Valid()) {
        error = "cannot open the folder of " + path + ": " + std::strerror(errno);
        return false;
    }
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const Base::UniqueFd fd(
        ::openat(folder.Get(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kKeyFileMode));
    if (!fd.Valid()) {
        error = errno == EEXIST ? path + " exists already; a venue key is never replaced"
                                : "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    // The station's group reads it, whoever's umask made it.
    struct stat folderInfo {};
    if (::fstat(folder.Get(), &folderInfo) == 0)
        (void)::fchown(fd.Get(), static_cast<uid_t>(-1), folderInfo.st_gid);
    (void)::fchmod(fd.Get(), kKeyFileMode);
    std::string key(kKeyBytes, '\0');
    QRandomGenerator::system()->generate(reinterpret_cast<quint32*>(key.data()),
                                         reinterpret_cast<quint32*>(key.data() + key.size()));
    if (!WriteAll(fd.Get(), key.data(), key.size()) || ::fsync(fd.Get()) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        (void)::unlinkat(folder.Get(), name.c_str(), 0);
        return false;
    }
    (void)::fsync(folder.Get());
    return true;
}

std::string IdentityKey::Message(const std::string& iin, const std::string& number) {
    std::string message(kDomain);
    message += '\0';
    message += iin;
    message += '\0';
    message += NormalisedNumber(number);
    return message;
}

std::string IdentityKey::NormalisedNumber(const std::string& number) {
    std::string out;
    for (const char c : number) {
        if (c >= 'a' && c <= 'z')
            out += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            out += c;
    }
    return out;
}

std::string IdentityKey::Identity(const std::string& iin, const std::string& number) const {
    if (iin.empty() || NormalisedNumber(number).empty())
        return {};
    const std::string message = Message(iin, number);
    const QByteArray mac = QMessageAuthenticationCode::hash(
        QByteArray(message.data(), static_cast<qsizetype>(message.size())),
        QByteArray(m_key.data(), static_cast<qsizetype>(m_key.size())), QCryptographicHash::Sha256);
    return mac.toStdString();
}

std::string IdentityKey::IinOf(const MagneticStripeCards::Card& card) {
    const std::string& iin = card.IsoIin();
    if (iin.size() == 6 && MagneticStripeCards::IinTable::IsAamvaIin(iin))
        return iin;
    return IinOfState(card.State());
}

std::string IdentityKey::IinOfState(const std::string& state) {
    return MagneticStripeCards::IinTable::IinOfJurisdiction(state);
}

std::string IdentityKey::BarcodeFormOfStripeNumber(const std::string& state, const std::string& number) {
    struct LetterFirst {
        const char* state;
        std::size_t digitsAfterLetter;
    };
    static constexpr LetterFirst kLetterFirst[] = {{"CA", 7}};
    const std::string n = NormalisedNumber(number);
    for (const LetterFirst& rule : kLetterFirst) {
        if (state != rule.state || n.size() != rule.digitsAfterLetter + 2)
            continue;
        if (!std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return n;
        const int letter = (n[0] - '0') * 10 + (n[1] - '0');
        if (letter < 1 || letter > 26)
            return n;
        return static_cast<char>('A' + letter - 1) + n.substr(2);
    }
    return n;
}

std::string IdentityKey::IdentityOf(const MagneticStripeCards::Card& card) const {
    const std::string number =
        card.Format() == "stripe" ? BarcodeFormOfStripeNumber(card.State(), card.DlNumber()) : card.DlNumber();
    return Identity(IinOf(card), number);
}

std::string Hex(const std::string& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toHex().toStdString();
}

std::optional<std::string> FromHex(const std::string& hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    for (const char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    return QByteArray::fromHex(QByteArray(hex.data(), static_cast<qsizetype>(hex.size()))).toStdString();
}

} // namespace Venue
