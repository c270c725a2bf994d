#pragma once
// Filter expressions over a table's fields ("Phone = '12*' and not Category = 3"),
// parsed into a tree and turned into a parameterised SQL condition.
//
// Grammar (keywords in any case):
//   expr     := term { OR term }
//   term     := factor { AND factor }
//   factor   := NOT factor | '(' expr ')' | field cmp value | field IS [NOT] NULL
//   cmp      := '=' | '<>' | '<' | '<=' | '>' | '>='
//   field    := name | '[' name ']'          (matched case-insensitively)
//   value    := 'text' (quotes doubled inside) | number | TRUE | FALSE | NULL
// Texts compare ignoring case; a text ending in "*" compared with = or <> matches
// every value beginning with the text before it. A null text field counts as empty.
// "IS NOT NULL" is true for a non-empty field, "IS NULL" is its complement.
#include <QList>
#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

enum class TFieldType {
    ftAutoInc,    // integer key
    ftString,     // text of a fixed width
    ftChars,      // fixed-width characters holding a whole number (Attributes, Category)
    ftInteger,
    ftBoolean,    // 0 or 1
    ftDateTime,   // REAL day count
    ftTime,       // REAL time-of-day fraction
    ftMemo        // unbounded text
};

struct TFieldInfo {
    QString Name;
    TFieldType Type = TFieldType::ftString;
    int Width = 0;          // for ftString and ftChars
    bool Required = false;
};

// A filter that does not parse. message() is the Russian text naming the 1-based position.
class TFilterError : public std::runtime_error {
public:
    TFilterError(const QString &message, int position)
        : std::runtime_error(message.toStdString()), FMessage(message), FPosition(position) {}
    QString message() const { return FMessage; }
    int position() const { return FPosition; }

private:
    QString FMessage;
    int FPosition;
};

class TFilterNode;

class TFilterExpression {
public:
    TFilterExpression();
    ~TFilterExpression();
    TFilterExpression(TFilterExpression &&) noexcept;
    TFilterExpression &operator=(TFilterExpression &&) noexcept;

    // Throws TFilterError. An empty or blank text gives an empty expression (every row passes).
    static TFilterExpression parse(const QString &text, const QList<TFieldInfo> &fields);

    bool isEmpty() const;
    // The condition for a WHERE clause, columns quoted as "Name", every value bound
    // as a ? placeholder appended to params in order. "1" for an empty expression.
    // The values are QString, qlonglong or double, never null.
    QString toSql(QVariantList &params) const;

    // Registers the SQL functions toSql() relies on (case folding of every letter,
    // Cyrillic included) on a connection. Call once per connection before using toSql().
    static void registerFunctions(sqlite3 *db);

    // Binds params (as toSql() made them) to stmt from the placeholder firstIndex on.
    // Returns the first SQLite error code, or SQLITE_OK.
    static int bindParams(sqlite3_stmt *stmt, const QVariantList &params, int firstIndex = 1);

    // Limits that keep the parser and SQLite's own parser within their stacks.
    static constexpr int MaxNesting = 16;       // parentheses and NOTs inside each other
    static constexpr int MaxConditions = 256;   // comparisons in one expression

private:
    std::unique_ptr<TFilterNode> FRoot;
};
