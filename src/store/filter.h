#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

// The filter language of the table engine: field names, string literals in single quotes
// ('' stands for one quote), numbers, = <> < > <= >=, AND, OR, NOT and parentheses.
// A filter text is parsed into a tree once; the tree becomes an SQL condition whose values
// are bound parameters, so no text a user typed is ever spliced into SQL.
namespace Filter {

struct Node;

class Expression
{
public:
    Expression();
    ~Expression();
    Expression(Expression &&) noexcept;
    Expression &operator=(Expression &&) noexcept;

    // Throws EFilterError (prefixed with `context`) when the text is ill-formed.
    static Expression parse(const QString &text, const QString &context);

    bool isEmpty() const { return !m_root; }
    QStringList fieldNames() const;

    // `columnFor` maps a field name to its quoted SQL column, or to an empty text for an
    // unknown field (then EFilterError). Appends the values to `parameters`.
    QString toSql(const std::function<QString(const QString &)> &columnFor, const QString &context,
                  std::vector<QVariant> &parameters) const;

private:
    std::unique_ptr<Node> m_root;
};

} // namespace Filter
