#include "OdbcResult.h"

#include <QDateTime>
#include <QSqlField>

#include <sql.h>
#include <sqlext.h>

namespace trellum {

namespace {

QString fromWide(const std::vector<SQLWCHAR>& text, std::size_t units)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(text.data()), qsizetype(units));
}

// Reads a text column in pieces; the pieces are joined as UTF-16 units, so a character is never
// cut in two as a narrow read in pieces of the column's declared size would cut it.
bool readText(SQLHSTMT h, SQLUSMALLINT column, QVariant& out)
{
    constexpr SQLLEN kPiece = 4096; // in SQLWCHAR units, the terminator included
    std::vector<SQLWCHAR> piece(static_cast<std::size_t>(kPiece));
    std::vector<SQLWCHAR> whole;
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(h, column, SQL_C_WCHAR, piece.data(), kPiece * SQLLEN(sizeof(SQLWCHAR)), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            return false;
        if (indicator == SQL_NULL_DATA) {
            out = QVariant(QMetaType(QMetaType::QString));
            return true;
        }
        const bool full = indicator == SQL_NO_TOTAL || indicator >= kPiece * SQLLEN(sizeof(SQLWCHAR));
        const std::size_t units = full ? std::size_t(kPiece - 1) : std::size_t(indicator) / sizeof(SQLWCHAR);
        whole.insert(whole.end(), piece.begin(), piece.begin() + qsizetype(units));
        if (rc == SQL_SUCCESS)
            break;
    }
    out = fromWide(whole, whole.size());
    return true;
}

bool readBytes(SQLHSTMT h, SQLUSMALLINT column, QVariant& out)
{
    QByteArray whole;
    char piece[4096];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(h, column, SQL_C_BINARY, piece, SQLLEN(sizeof piece), &indicator);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            return false;
        if (indicator == SQL_NULL_DATA) {
            out = QVariant(QMetaType(QMetaType::QByteArray));
            return true;
        }
        const bool full = indicator == SQL_NO_TOTAL || indicator > SQLLEN(sizeof piece);
        whole.append(piece, full ? qsizetype(sizeof piece) : qsizetype(indicator));
        if (rc == SQL_SUCCESS)
            break;
    }
    out = whole;
    return true;
}

template <typename T>
bool readFixed(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT cType, QMetaType type, QVariant& out)
{
    T value {};
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(h, column, cType, &value, SQLLEN(sizeof value), &indicator)))
        return false;
    out = indicator == SQL_NULL_DATA ? QVariant(type) : QVariant(type, &value);
    return true;
}

bool readTimestamp(SQLHSTMT h, SQLUSMALLINT column, QMetaType type, QVariant& out)
{
    SQL_TIMESTAMP_STRUCT t {};
    SQLLEN indicator = 0;
    if (!SQL_SUCCEEDED(SQLGetData(h, column, SQL_C_TYPE_TIMESTAMP, &t, SQLLEN(sizeof t), &indicator)))
        return false;
    if (indicator == SQL_NULL_DATA) {
        out = QVariant(type);
        return true;
    }
    const QDate date(t.year, t.month, t.day);
    const QTime time(t.hour, t.minute, t.second, int(t.fraction / 1000000));
    if (type.id() == QMetaType::QDate)
        out = date;
    else if (type.id() == QMetaType::QTime)
        out = time;
    else
        out = QDateTime(date, time);
    return true;
}

bool readValue(SQLHSTMT h, SQLUSMALLINT column, QMetaType type, QVariant& out)
{
    switch (type.id()) {
    case QMetaType::Int:
        return readFixed<SQLINTEGER>(h, column, SQL_C_SLONG, type, out);
    case QMetaType::UInt:
        return readFixed<SQLUINTEGER>(h, column, SQL_C_ULONG, type, out);
    case QMetaType::LongLong:
        return readFixed<qint64>(h, column, SQL_C_SBIGINT, type, out);
    case QMetaType::ULongLong:
        return readFixed<quint64>(h, column, SQL_C_UBIGINT, type, out);
    case QMetaType::Double:
    case QMetaType::Float:
        return readFixed<double>(h, column, SQL_C_DOUBLE, QMetaType(QMetaType::Double), out);
    case QMetaType::Bool: {
        QVariant bit;
        if (!readFixed<unsigned char>(h, column, SQL_C_BIT, QMetaType(QMetaType::UChar), bit))
            return false;
        out = bit.isNull() ? QVariant(type) : QVariant(bit.toInt() != 0);
        return true;
    }
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return readTimestamp(h, column, type, out);
    case QMetaType::QByteArray:
        return readBytes(h, column, out);
    default:
        return readText(h, column, out);
    }
}

} // namespace

DbStatus odbcDiagnostic(short handleType, void* handle, bool* linkLost)
{
    if (linkLost)
        *linkLost = false;
    if (!handle)
        return std::nullopt;
    // the first record that is more than a warning tells the fault; any record of class 08 a lost link
    DbStatus first;
    DbStatus chosen;
    for (SQLSMALLINT record = 1; record <= 50; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLWCHAR> text(4096);
        SQLSMALLINT length = 0;
        const SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &native, text.data(),
                                            SQLSMALLINT(text.size()), &length);
        if (!SQL_SUCCEEDED(rc))
            break;
        const QString sqlState = QString::fromUtf16(reinterpret_cast<const char16_t*>(state), 5);
        const std::size_t units = std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(length, 0)), text.size() - 1);
        const QString message = fromWide(text, units).trimmed();
        if (linkLost && sqlState.startsWith(QStringLiteral("08")))
            *linkLost = true;
        // S1T00 is the ODBC 2 name of HYT00
        const bool timeout = sqlState == QStringLiteral("HYT00") || sqlState == QStringLiteral("S1T00")
            || sqlState == QStringLiteral("HYT01");
        DbError e;
        e.number = native != 0 ? native : timeout ? kTimeoutError : kUnspecifiedError;
        e.description = QStringLiteral("[%1] %2").arg(sqlState, message.isEmpty() ? QStringLiteral("未知的数据库错误") : message);
        if (!first)
            first = e;
        if (!chosen && !sqlState.startsWith(QStringLiteral("01")))
            chosen = e;
    }
    return chosen ? chosen : first;
}

bool odbcConnectionDead(void* connection)
{
    if (!connection)
        return false;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, &dead, SQLINTEGER(sizeof dead), nullptr);
    return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

OdbcResult readOdbcResult(void* statement, const QSqlRecord& record)
{
    OdbcResult out;
    auto fail = [&](const char* what) {
        out.error = odbcDiagnostic(SQL_HANDLE_STMT, statement, &out.linkLost);
        if (!out.error)
            out.error = DbError { kUnspecifiedError, QString::fromLatin1(what) };
    };
    const int columns = record.count();
    for (;;) {
        const SQLRETURN rc = SQLFetch(statement);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc)) {
            fail("读取结果失败");
            return out;
        }
        QVariantList row;
        row.reserve(columns);
        for (int i = 0; i < columns; ++i) {
            QVariant v;
            if (!readValue(statement, SQLUSMALLINT(i + 1), record.field(i).metaType(), v)) {
                fail("读取字段失败");
                return out;
            }
            row.append(std::move(v));
        }
        out.rows.push_back(std::move(row));
    }
    // the rest of the reply: an error or a lost link after the last row shows only here
    for (int results = 0; results < 1000; ++results) {
        const SQLRETURN rc = SQLMoreResults(statement);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc)) {
            fail("读取结果失败");
            return out;
        }
        SQLRETURN fetched = SQL_SUCCESS;
        while (SQL_SUCCEEDED(fetched))
            fetched = SQLFetch(statement);
        if (fetched != SQL_NO_DATA) {
            fail("读取结果失败");
            return out;
        }
    }
    return out;
}

} // namespace trellum
