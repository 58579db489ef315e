#include "update/ClientId.h"

#include "config/ConfigBackend.h"

#include <chrono>
#include <exception>
#include <mutex>
#include <random>

using namespace Qt::StringLiterals;

namespace {

// One generator for the process, seeded once from the clock; callers may be on any thread.
quint32 RandomUpTo(quint32 highest)
{
    static std::mutex guard;
    static std::mt19937 generator(static_cast<std::mt19937::result_type>(
        std::chrono::system_clock::now().time_since_epoch().count()));
    const std::lock_guard lock(guard);
    return std::uniform_int_distribution<quint32>(0, highest)(generator);
}

QString Hex(quint32 value, int digits)
{
    return u"%1"_s.arg(value, digits, 16, QChar(u'0')).toUpper();
}

} // namespace

QString NewClientId(const QDateTime& localNow)
{
    return Hex(RandomUpTo(0x7FFFFFFE), 8) + localNow.toString(u"yyMMdd"_s) +
           Hex(RandomUpTo(0xFFFE), 4) + localNow.toString(u"HHmmss"_s) +
           Hex(RandomUpTo(0x7FFFFFFE), 8);
}

QString NewClientId()
{
    return NewClientId(QDateTime::currentDateTime());
}

QString GetClientId()
{
    const QString name = u"DUID"_s;
    try {
        const std::unique_ptr<TConfigBackend> store = CreateConfigBackend(u"Dovrelan"_s);
        if (!store->HasValue(name))
            store->WriteString(name, NewClientId());
        // Read back, so that an id edited by someone else is sent as it stands.
        return store->ReadString(name, QString());
    } catch (const std::exception&) {
        return QString();
    }
}
