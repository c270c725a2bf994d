#include "TFilterExpression.h"
#include "common/TDateTime.h"
#include <QRegularExpression>
#include <cmath>
#include <sqlite3.h>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Tree

enum class TFilterOp { opEq, opNe, opLt, opLe, opGt, opGe };

// How a comparison is evaluated, chosen from the field's type and the value.
enum class TCompareMode {
    cmText,          // folded text against folded text
    cmTextPrefix,    // folded text begins with the folded prefix
    cmWhole,         // characters holding a whole number, compared as a number
    cmWholePrefix,   // digits of that number begin with the prefix
    cmNumber,        // numeric column
    cmBoolean,       // 0 or 1
    cmMillis         // date-time or time, compared in whole milliseconds
};

class TFilterNode {
public:
    enum TKind { nkAnd, nkOr, nkNot, nkCompare, nkIsNull, nkIsNotNull };

    explicit TFilterNode(TKind kind) : Kind(kind) {}

    TKind Kind;
    std::vector<std::unique_ptr<TFilterNode>> Children;   // nkAnd, nkOr, nkNot
    QString Column;                                       // as the field list spells it
    TFilterOp Op = TFilterOp::opEq;
    TCompareMode Mode = TCompareMode::cmText;
    QVariant Value;
};

namespace {

const char *const MillisPerDayText = "86400000.0";

QString quoteColumn(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString opText(TFilterOp op)
{
    switch (op) {
    case TFilterOp::opEq: return QStringLiteral("=");
    case TFilterOp::opNe: return QStringLiteral("<>");
    case TFilterOp::opLt: return QStringLiteral("<");
    case TFilterOp::opLe: return QStringLiteral("<=");
    case TFilterOp::opGt: return QStringLiteral(">");
    case TFilterOp::opGe: return QStringLiteral(">=");
    }
    return QStringLiteral("=");
}

// Every piece below yields 0 or 1, never NULL, so NOT behaves as plain negation.
QString comparisonSql(const TFilterNode &n, QVariantList &params)
{
    const QString col = quoteColumn(n.Column);
    const QString op = opText(n.Op);
    params.append(n.Value);
    switch (n.Mode) {
    case TCompareMode::cmText:
        return QStringLiteral("konvelo_fold(%1) %2 ?").arg(col, op);
    case TCompareMode::cmTextPrefix:
        return QStringLiteral("instr(konvelo_fold(%1), ?) %2 1").arg(col, op);
    case TCompareMode::cmWhole:
        return QStringLiteral("coalesce(CAST(%1 AS INTEGER) %2 ?, 0)").arg(col, op);
    case TCompareMode::cmWholePrefix:
        return QStringLiteral("coalesce(instr(CAST(CAST(%1 AS INTEGER) AS TEXT), ?) %2 1, 0)")
            .arg(col, op);
    case TCompareMode::cmNumber:
        return QStringLiteral("coalesce(%1 %2 ?, 0)").arg(col, op);
    case TCompareMode::cmBoolean:
        return QStringLiteral("((coalesce(%1, 0) <> 0) %2 ?)").arg(col, op);
    case TCompareMode::cmMillis:
        return QStringLiteral("coalesce(round(%1 * %3) %2 ?, 0)")
            .arg(col, op, QLatin1String(MillisPerDayText));
    }
    return QStringLiteral("0");
}

QString nodeSql(const TFilterNode &n, QVariantList &params)
{
    switch (n.Kind) {
    case TFilterNode::nkAnd:
    case TFilterNode::nkOr: {
        const QString glue = n.Kind == TFilterNode::nkAnd ? QStringLiteral(" AND ")
                                                          : QStringLiteral(" OR ");
        QString sql = QStringLiteral("(");
        for (size_t i = 0; i < n.Children.size(); ++i) {
            if (i)
                sql += glue;
            sql += nodeSql(*n.Children[i], params);
        }
        return sql + QLatin1Char(')');
    }
    case TFilterNode::nkNot:
        return QStringLiteral("NOT (") + nodeSql(*n.Children.front(), params) + QLatin1Char(')');
    case TFilterNode::nkIsNull:
        return QStringLiteral("(%1 IS NULL OR %1 = '')").arg(quoteColumn(n.Column));
    case TFilterNode::nkIsNotNull:
        return QStringLiteral("(%1 IS NOT NULL AND %1 <> '')").arg(quoteColumn(n.Column));
    case TFilterNode::nkCompare:
        return comparisonSql(n, params);
    }
    return QStringLiteral("0");
}

// ---------------------------------------------------------------------------
// Lexer

enum class TTokenKind { tkEnd, tkName, tkField, tkText, tkNumber, tkOp, tkLParen, tkRParen };

struct TToken {
    TTokenKind Kind = TTokenKind::tkEnd;
    QString Text;     // name, unquoted text, number's digits or operator
    int Pos = 0;      // 0-based index in the expression
};

[[noreturn]] void fail(int pos, const QString &what)
{
    throw TFilterError(QStringLiteral("Ошибка в выражении фильтра (позиция %1): %2")
                           .arg(pos + 1).arg(what),
                       pos + 1);
}

bool isNameStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isNamePart(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }
bool isDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

std::vector<TToken> tokenize(const QString &s)
{
    std::vector<TToken> tokens;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        TToken t;
        t.Pos = i;
        if (isNameStart(c)) {
            int j = i + 1;
            while (j < n && isNamePart(s[j]))
                ++j;
            t.Kind = TTokenKind::tkName;
            t.Text = s.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('[')) {
            const int close = int(s.indexOf(QLatin1Char(']'), i + 1));
            if (close < 0)
                fail(i, QStringLiteral("не закрыта скобка «[»"));
            t.Kind = TTokenKind::tkField;
            t.Text = s.mid(i + 1, close - i - 1).trimmed();
            i = close + 1;
        } else if (c == QLatin1Char('\'')) {
            QString text;
            int j = i + 1;
            for (;;) {
                if (j >= n)
                    fail(i, QStringLiteral("не закрыта кавычка"));
                if (s[j] == QLatin1Char('\'')) {
                    if (j + 1 < n && s[j + 1] == QLatin1Char('\'')) {
                        text += QLatin1Char('\'');
                        j += 2;
                        continue;
                    }
                    break;
                }
                text += s[j++];
            }
            t.Kind = TTokenKind::tkText;
            t.Text = text;
            i = j + 1;
        } else if (isDigit(c) || ((c == QLatin1Char('-') || c == QLatin1Char('+')) && i + 1 < n
                                  && (isDigit(s[i + 1])
                                      || (s[i + 1] == QLatin1Char('.') && i + 2 < n
                                          && isDigit(s[i + 2]))))
                   || (c == QLatin1Char('.') && i + 1 < n && isDigit(s[i + 1]))) {
            int j = i;
            if (s[j] == QLatin1Char('-') || s[j] == QLatin1Char('+'))
                ++j;
            while (j < n && isDigit(s[j]))
                ++j;
            if (j < n && s[j] == QLatin1Char('.')) {
                ++j;
                while (j < n && isDigit(s[j]))
                    ++j;
            }
            if (j < n && (s[j] == QLatin1Char('e') || s[j] == QLatin1Char('E'))) {
                int k = j + 1;
                if (k < n && (s[k] == QLatin1Char('-') || s[k] == QLatin1Char('+')))
                    ++k;
                if (k < n && isDigit(s[k])) {
                    while (k < n && isDigit(s[k]))
                        ++k;
                    j = k;
                }
            }
            if (j < n && isNamePart(s[j]))
                fail(j, QStringLiteral("неверное число"));
            t.Kind = TTokenKind::tkNumber;
            t.Text = s.mid(i, j - i);
            i = j;
        } else if (c == QLatin1Char('(') || c == QLatin1Char(')')) {
            t.Kind = c == QLatin1Char('(') ? TTokenKind::tkLParen : TTokenKind::tkRParen;
            ++i;
        } else if (c == QLatin1Char('=')) {
            t.Kind = TTokenKind::tkOp;
            t.Text = QStringLiteral("=");
            ++i;
        } else if (c == QLatin1Char('<') || c == QLatin1Char('>')) {
            t.Kind = TTokenKind::tkOp;
            t.Text = QString(c);
            ++i;
            if (i < n && (s[i] == QLatin1Char('=') || (c == QLatin1Char('<') && s[i] == QLatin1Char('>')))) {
                t.Text += s[i];
                ++i;
            }
        } else {
            fail(i, QStringLiteral("недопустимый символ «%1»").arg(c));
        }
        tokens.push_back(std::move(t));
    }
    TToken end;
    end.Pos = n;
    tokens.push_back(end);
    return tokens;
}

// ---------------------------------------------------------------------------
// Values

// "H:mm", "H:mm:ss" or "H:mm:ss.zzz" as milliseconds; -1 when it is no time.
qint64 parseTimeMillis(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,5}):(\\d{1,2})(?::(\\d{1,2})(?:[.,](\\d{1,3}))?)?$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return -1;
    const qint64 h = m.captured(1).toLongLong();
    const int mi = m.captured(2).toInt();
    const int sec = m.hasCaptured(3) ? m.captured(3).toInt() : 0;
    int ms = 0;
    if (m.hasCaptured(4)) {
        QString frac = m.captured(4);
        while (frac.size() < 3)
            frac += QLatin1Char('0');
        ms = frac.toInt();
    }
    if (mi > 59 || sec > 59)
        return -1;
    return ((h * 60 + mi) * 60 + sec) * 1000 + ms;
}

// "dd.MM.yyyy" with an optional time, or "yyyy-MM-dd" with an optional "T"/blank and time.
// Years past 9999 are written in full, as an open end of a period is.
bool parseDateTime(const QString &raw, double &out)
{
    static const QRegularExpression ru(
        QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4,9})(?:\\s+(\\S+))?$"));
    static const QRegularExpression iso(
        QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[T\\s]\\s*(\\S+))?$"));
    const QString text = raw.trimmed();
    int y = 0, mo = 0, d = 0;
    QString timeText;
    QRegularExpressionMatch m = ru.match(text);
    if (m.hasMatch()) {
        d = m.captured(1).toInt();
        mo = m.captured(2).toInt();
        y = m.captured(3).toInt();
        timeText = m.captured(4);
    } else {
        m = iso.match(text);
        if (!m.hasMatch())
            return false;
        y = m.captured(1).toInt();
        mo = m.captured(2).toInt();
        d = m.captured(3).toInt();
        timeText = m.captured(4);
    }
    TDateTime date;
    if (!TDateTime::tryEncodeDate(y, mo, d, date))
        return false;
    qint64 ms = 0;
    if (!timeText.isEmpty()) {
        ms = parseTimeMillis(timeText);
        if (ms < 0 || ms >= qint64(TDateTime::MSecsPerDay))
            return false;
    }
    const double days = date.value();
    const double frac = double(ms) / TDateTime::MSecsPerDay;
    // The same encoding as TDateTime::fromQDateTime, so equal moments compare equal.
    out = days >= 0 ? days + frac : days - frac;
    return true;
}

bool parseWhole(const QString &text, qlonglong &out)
{
    bool ok = false;
    out = text.trimmed().toLongLong(&ok);
    return ok;
}

class TParser {
public:
    TParser(const QString &text, const QList<TFieldInfo> &fields)
        : FTokens(tokenize(text)), FFields(fields) {}

    std::unique_ptr<TFilterNode> parseAll()
    {
        auto root = parseOr();
        if (peek().Kind != TTokenKind::tkEnd)
            fail(peek().Pos, QStringLiteral("ожидается AND, OR или конец выражения"));
        return root;
    }

private:
    const TToken &peek() const { return FTokens[FIndex]; }
    const TToken &next() { return FTokens[FIndex < FTokens.size() - 1 ? FIndex++ : FIndex]; }

    bool isKeyword(const TToken &t, const char *word) const
    {
        return t.Kind == TTokenKind::tkName
            && t.Text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    bool isReserved(const TToken &t) const
    {
        for (const char *w : {"and", "or", "not", "is", "null", "true", "false"})
            if (isKeyword(t, w))
                return true;
        return false;
    }

    std::unique_ptr<TFilterNode> parseOr()
    {
        auto first = parseAnd();
        if (!isKeyword(peek(), "or"))
            return first;
        auto node = std::make_unique<TFilterNode>(TFilterNode::nkOr);
        node->Children.push_back(std::move(first));
        while (isKeyword(peek(), "or")) {
            next();
            node->Children.push_back(parseAnd());
        }
        return node;
    }

    std::unique_ptr<TFilterNode> parseAnd()
    {
        auto first = parseFactor();
        if (!isKeyword(peek(), "and"))
            return first;
        auto node = std::make_unique<TFilterNode>(TFilterNode::nkAnd);
        node->Children.push_back(std::move(first));
        while (isKeyword(peek(), "and")) {
            next();
            node->Children.push_back(parseFactor());
        }
        return node;
    }

    struct TNestGuard {
        TNestGuard(int &depth, int pos) : FDepth(depth)
        {
            if (++FDepth > TFilterExpression::MaxNesting)
                fail(pos, QStringLiteral("слишком глубокая вложенность"));
        }
        ~TNestGuard() { --FDepth; }
        int &FDepth;
    };

    std::unique_ptr<TFilterNode> parseFactor()
    {
        const TToken &t = peek();
        if (isKeyword(t, "not")) {
            TNestGuard guard(FDepth, t.Pos);
            next();
            auto node = std::make_unique<TFilterNode>(TFilterNode::nkNot);
            node->Children.push_back(parseFactor());
            return node;
        }
        if (t.Kind == TTokenKind::tkLParen) {
            TNestGuard guard(FDepth, t.Pos);
            next();
            auto inner = parseOr();
            if (peek().Kind != TTokenKind::tkRParen)
                fail(peek().Pos, QStringLiteral("ожидается закрывающая скобка"));
            next();
            return inner;
        }
        return parseCondition();
    }

    const TFieldInfo &parseField()
    {
        const TToken &t = peek();
        if ((t.Kind != TTokenKind::tkName || isReserved(t)) && t.Kind != TTokenKind::tkField)
            fail(t.Pos, QStringLiteral("ожидается имя поля"));
        for (const TFieldInfo &f : FFields)
            if (f.Name.compare(t.Text, Qt::CaseInsensitive) == 0) {
                next();
                return f;
            }
        fail(t.Pos, QStringLiteral("неизвестное поле «%1»").arg(t.Text));
    }

    std::unique_ptr<TFilterNode> parseCondition()
    {
        const int fieldPos = peek().Pos;
        const TFieldInfo &field = parseField();
        if (++FConditions > TFilterExpression::MaxConditions)
            fail(fieldPos, QStringLiteral("слишком много условий"));

        if (isKeyword(peek(), "is")) {
            next();
            bool negated = false;
            if (isKeyword(peek(), "not")) {
                next();
                negated = true;
            }
            if (!isKeyword(peek(), "null"))
                fail(peek().Pos, QStringLiteral("ожидается NULL"));
            next();
            auto node = std::make_unique<TFilterNode>(negated ? TFilterNode::nkIsNotNull
                                                              : TFilterNode::nkIsNull);
            node->Column = field.Name;
            return node;
        }

        const TToken &opToken = peek();
        if (opToken.Kind != TTokenKind::tkOp)
            fail(opToken.Pos, QStringLiteral("ожидается знак сравнения или IS"));
        const TFilterOp op = opToken.Text == QLatin1String("=")    ? TFilterOp::opEq
                           : opToken.Text == QLatin1String("<>") ? TFilterOp::opNe
                           : opToken.Text == QLatin1String("<")  ? TFilterOp::opLt
                           : opToken.Text == QLatin1String("<=") ? TFilterOp::opLe
                           : opToken.Text == QLatin1String(">")  ? TFilterOp::opGt
                                                                 : TFilterOp::opGe;
        next();

        const TToken value = peek();
        if (isKeyword(value, "null")) {
            if (op != TFilterOp::opEq && op != TFilterOp::opNe)
                fail(value.Pos, QStringLiteral("NULL сравнивается только знаками = и <>"));
            next();
            auto node = std::make_unique<TFilterNode>(op == TFilterOp::opEq
                                                          ? TFilterNode::nkIsNull
                                                          : TFilterNode::nkIsNotNull);
            node->Column = field.Name;
            return node;
        }
        const bool isBool = isKeyword(value, "true") || isKeyword(value, "false");
        if (value.Kind != TTokenKind::tkText && value.Kind != TTokenKind::tkNumber && !isBool)
            fail(value.Pos, QStringLiteral("ожидается значение"));
        next();

        auto node = std::make_unique<TFilterNode>(TFilterNode::nkCompare);
        node->Column = field.Name;
        node->Op = op;
        setValue(*node, field, value, isBool);
        return node;
    }

    [[noreturn]] void badValue(const TToken &value, const TFieldInfo &field, const QString &what)
    {
        fail(value.Pos, QStringLiteral("%1 для поля %2").arg(what, field.Name));
    }

    void setValue(TFilterNode &node, const TFieldInfo &field, const TToken &value, bool isBool)
    {
        const bool isText = value.Kind == TTokenKind::tkText;
        const bool isNumber = value.Kind == TTokenKind::tkNumber;
        const bool equality = node.Op == TFilterOp::opEq || node.Op == TFilterOp::opNe;
        const bool prefix = isText && equality && value.Text.endsWith(QLatin1Char('*'));

        switch (field.Type) {
        case TFieldType::ftString:
        case TFieldType::ftMemo: {
            if (isBool)
                badValue(value, field, QStringLiteral("ожидается текст"));
            if (prefix) {
                node.Mode = TCompareMode::cmTextPrefix;
                node.Value = value.Text.chopped(1).toCaseFolded();
            } else {
                node.Mode = TCompareMode::cmText;
                node.Value = value.Text.toCaseFolded();
            }
            return;
        }
        case TFieldType::ftChars: {
            if (isBool)
                badValue(value, field, QStringLiteral("ожидается целое число"));
            if (prefix) {
                static const QRegularExpression digits(QStringLiteral("^-?\\d*$"));
                const QString head = value.Text.chopped(1).trimmed();
                if (!digits.match(head).hasMatch())
                    badValue(value, field, QStringLiteral("ожидается целое число"));
                node.Mode = TCompareMode::cmWholePrefix;
                node.Value = head;
                return;
            }
            qlonglong whole = 0;
            if (parseWhole(value.Text, whole)) {
                node.Mode = TCompareMode::cmWhole;
                node.Value = whole;
                return;
            }
            if (isNumber) {
                // A fraction compares with the whole number as a number.
                node.Mode = TCompareMode::cmWhole;
                node.Value = numberValue(value, field);
                return;
            }
            badValue(value, field, QStringLiteral("ожидается целое число"));
        }
        case TFieldType::ftAutoInc:
        case TFieldType::ftInteger: {
            if (isBool)
                badValue(value, field, QStringLiteral("ожидается число"));
            node.Mode = TCompareMode::cmNumber;
            qlonglong whole = 0;
            if (parseWhole(value.Text, whole))
                node.Value = whole;
            else
                node.Value = numberValue(value, field);
            return;
        }
        case TFieldType::ftBoolean: {
            node.Mode = TCompareMode::cmBoolean;
            const QString t = value.Text.trimmed();
            if (isBool || isText) {
                const QString word = isBool ? value.Text : t;
                if (word.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                    || word == QLatin1String("1")) {
                    node.Value = qlonglong(1);
                    return;
                }
                if (word.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0
                    || word == QLatin1String("0")) {
                    node.Value = qlonglong(0);
                    return;
                }
                badValue(value, field, QStringLiteral("ожидается true или false"));
            }
            node.Value = qlonglong(numberValue(value, field) != 0.0 ? 1 : 0);
            return;
        }
        case TFieldType::ftDateTime:
        case TFieldType::ftTime: {
            if (isBool)
                badValue(value, field, field.Type == TFieldType::ftTime
                                           ? QStringLiteral("ожидается время")
                                           : QStringLiteral("ожидается дата"));
            double days = 0.0;
            if (isNumber) {
                days = numberValue(value, field);
            } else if (field.Type == TFieldType::ftTime) {
                const qint64 ms = parseTimeMillis(value.Text.trimmed());
                if (ms < 0)
                    badValue(value, field, QStringLiteral("неверное время (ожидается Ч:мм:сс)"));
                days = double(ms) / TDateTime::MSecsPerDay;
            } else if (!parseDateTime(value.Text, days)) {
                badValue(value, field,
                         QStringLiteral("неверная дата (ожидается дд.ММ.гггг Ч:мм:сс)"));
            }
            const double ms = std::round(days * TDateTime::MSecsPerDay);
            if (!std::isfinite(ms) || std::fabs(ms) > 9.0e18)
                badValue(value, field, QStringLiteral("неверная дата"));
            node.Mode = TCompareMode::cmMillis;
            node.Value = ms;
            return;
        }
        }
    }

    double numberValue(const TToken &value, const TFieldInfo &field)
    {
        bool ok = false;
        const double d = value.Text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(d))
            badValue(value, field, QStringLiteral("ожидается число"));
        return d;
    }

    std::vector<TToken> FTokens;
    const QList<TFieldInfo> &FFields;
    size_t FIndex = 0;
    int FDepth = 0;
    int FConditions = 0;
};

// ---------------------------------------------------------------------------
// SQL function

void foldFunction(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
        return;
    }
    const unsigned char *text = sqlite3_value_text(argv[0]);
    const int bytes = sqlite3_value_bytes(argv[0]);
    if (!text) {
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
        return;
    }
    bool ascii = true;
    for (int i = 0; i < bytes; ++i)
        if (text[i] >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        std::string folded(reinterpret_cast<const char *>(text), size_t(bytes));
        for (char &c : folded)
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
        sqlite3_result_text(ctx, folded.data(), int(folded.size()), SQLITE_TRANSIENT);
        return;
    }
    const QByteArray folded =
        QString::fromUtf8(reinterpret_cast<const char *>(text), bytes).toCaseFolded().toUtf8();
    sqlite3_result_text(ctx, folded.constData(), int(folded.size()), SQLITE_TRANSIENT);
}

} // namespace

// ---------------------------------------------------------------------------

TFilterExpression::TFilterExpression() = default;
TFilterExpression::~TFilterExpression() = default;
TFilterExpression::TFilterExpression(TFilterExpression &&) noexcept = default;
TFilterExpression &TFilterExpression::operator=(TFilterExpression &&) noexcept = default;

TFilterExpression TFilterExpression::parse(const QString &text, const QList<TFieldInfo> &fields)
{
    TFilterExpression result;
    if (text.trimmed().isEmpty())
        return result;
    TParser parser(text, fields);
    result.FRoot = parser.parseAll();
    return result;
}

bool TFilterExpression::isEmpty() const
{
    return !FRoot;
}

QString TFilterExpression::toSql(QVariantList &params) const
{
    if (!FRoot)
        return QStringLiteral("1");
    return nodeSql(*FRoot, params);
}

void TFilterExpression::registerFunctions(sqlite3 *db)
{
    sqlite3_create_function_v2(db, "konvelo_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                               nullptr, foldFunction, nullptr, nullptr, nullptr);
}

int TFilterExpression::bindParams(sqlite3_stmt *stmt, const QVariantList &params, int firstIndex)
{
    int index = firstIndex;
    for (const QVariant &v : params) {
        int rc = SQLITE_OK;
        switch (v.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt, index, v.toDouble());
            break;
        default: {
            const QByteArray utf8 = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()),
                                   SQLITE_TRANSIENT);
            break;
        }
        }
        if (rc != SQLITE_OK)
            return rc;
        ++index;
    }
    return SQLITE_OK;
}
