#include "platform/SettingsStore.h"

#include <QSettings>
#include <QString>
#include <QVariant>
#include <limits>

namespace vx9kr {
namespace {

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString SetupKey(std::string_view key) {
    return QStringLiteral("Setup/") + Utf8(key);
}

bool IsText(const QVariant& value) {
    const int type = value.typeId();
    return type == QMetaType::QString || type == QMetaType::QByteArray;
}

}  // namespace

SettingsStore::SettingsStore(const std::string& application)
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QStringLiteral("VELDRA VX9KR"),
                                            QString::fromStdString(application))) {}

SettingsStore::~SettingsStore() {
    settings_->sync();
}

std::string SettingsStore::ReadString(std::string_view key, std::string_view defaultValue) const {
    const QVariant value = settings_->value(SetupKey(key));
    if (!value.isValid()) {
        return std::string(defaultValue);
    }
    return value.toString().toStdString();
}

int SettingsStore::ReadInt(std::string_view key, int defaultValue) const {
    const QVariant value = settings_->value(SetupKey(key));
    if (!value.isValid()) {
        return defaultValue;
    }
    bool ok = false;
    // The file-based stores keep no types, so a number written by WriteInt comes back as text.
    const qlonglong number =
        IsText(value) ? value.toString().toLongLong(&ok, 10) : value.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max()) {
        return defaultValue;
    }
    return static_cast<int>(number);
}

void SettingsStore::WriteString(std::string_view key, std::string_view value) {
    settings_->setValue(SetupKey(key), Utf8(value));
}

void SettingsStore::WriteInt(std::string_view key, std::int32_t value) {
    settings_->setValue(SetupKey(key), static_cast<int>(value));
}

void SettingsStore::Remove(std::string_view key) {
    settings_->remove(SetupKey(key));
}

bool SettingsStore::Contains(std::string_view key) const {
    return settings_->contains(SetupKey(key));
}

void SettingsStore::Sync() {
    settings_->sync();
}

}  // namespace vx9kr
