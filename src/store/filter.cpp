#include "filter.h"

#include "databaseerror.h"

namespace Filter {

using namespace Qt::Literals::StringLiterals;

struct Node
{
    enum class Kind
    {
        Field,
        Text,
        Number,
        Compare,
        And,
        Or,
        Not
    };
    Kind kind;
    QString text; // field name, literal text, or comparison operator
    QVariant number;
    std::unique_ptr<Node> left;
    std::unique_ptr<Node> right;
};

namespace {

struct Token
{
    enum class Kind
    {
        End,
        Identifier,
        Text,
        Number,
        Operator,
        Open,
        Close
    };
    Kind kind = Kind::End;
    QString text;
    qsizetype position = 0;
};

class Parser
{
public:
    Parser(const QString &text, const QString &context) : m_text(text), m_context(context)
    {
        advance();
    }

    std::unique_ptr<Node> parseAll()
    {
        auto root = parseOr();
        if (m_token.kind != Token::Kind::End)
            fail(QStringLiteral("unexpected '%1'").arg(m_token.text));
        return root;
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw EFilterError(QStringLiteral("%1: the filter \"%2\" is not valid: %3 at position %4")
                               .arg(m_context, m_text, what)
                               .arg(m_token.position + 1));
    }

    bool isKeyword(const char *word) const
    {
        return m_token.kind == Token::Kind::Identifier &&
               m_token.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    void advance()
    {
        const qsizetype length = m_text.size();
        while (m_pos < length && m_text.at(m_pos).isSpace())
            ++m_pos;
        m_token = Token{};
        m_token.position = m_pos;
        if (m_pos >= length)
            return;
        const QChar ch = m_text.at(m_pos);
        if (ch == u'\'') {
            QString literal;
            ++m_pos;
            for (;;) {
                if (m_pos >= length)
                    fail(QStringLiteral("unterminated text"));
                if (m_text.at(m_pos) == u'\'') {
                    if (m_pos + 1 < length && m_text.at(m_pos + 1) == u'\'') {
                        literal.append(u'\'');
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                literal.append(m_text.at(m_pos++));
            }
            m_token.kind = Token::Kind::Text;
            m_token.text = literal;
        } else if (ch == u'[') {
            const qsizetype close = m_text.indexOf(u']', m_pos);
            if (close < 0)
                fail(QStringLiteral("missing ']'"));
            m_token.kind = Token::Kind::Identifier;
            m_token.text = m_text.mid(m_pos + 1, close - m_pos - 1).trimmed();
            m_pos = close + 1;
            if (m_token.text.isEmpty())
                fail(QStringLiteral("empty field name"));
        } else if (ch.isDigit() ||
                   (ch == u'.' && m_pos + 1 < length && m_text.at(m_pos + 1).isDigit())) {
            const qsizetype start = m_pos;
            while (m_pos < length && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == u'.'))
                ++m_pos;
            m_token.kind = Token::Kind::Number;
            m_token.text = m_text.mid(start, m_pos - start);
        } else if (ch.isLetter() || ch == u'_') {
            const qsizetype start = m_pos;
            while (m_pos < length &&
                   (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == u'_'))
                ++m_pos;
            m_token.kind = Token::Kind::Identifier;
            m_token.text = m_text.mid(start, m_pos - start);
        } else if (ch == u'(' || ch == u')') {
            m_token.kind = ch == u'(' ? Token::Kind::Open : Token::Kind::Close;
            m_token.text = ch;
            ++m_pos;
        } else if (ch == u'=' || ch == u'<' || ch == u'>') {
            m_token.kind = Token::Kind::Operator;
            m_token.text = ch;
            ++m_pos;
            if (m_pos < length) {
                const QChar next = m_text.at(m_pos);
                if ((ch == u'<' && (next == u'>' || next == u'=')) ||
                    (ch == u'>' && next == u'=')) {
                    m_token.text.append(next);
                    ++m_pos;
                }
            }
        } else {
            m_token.text = ch;
            fail(QStringLiteral("unexpected '%1'").arg(ch));
        }
    }

    std::unique_ptr<Node> binary(Node::Kind kind, std::unique_ptr<Node> left,
                                 std::unique_ptr<Node> right)
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    std::unique_ptr<Node> parseOr()
    {
        auto left = parseAnd();
        while (isKeyword("or")) {
            advance();
            left = binary(Node::Kind::Or, std::move(left), parseAnd());
        }
        return left;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto left = parseNot();
        while (isKeyword("and")) {
            advance();
            left = binary(Node::Kind::And, std::move(left), parseNot());
        }
        return left;
    }

    void enter()
    {
        if (++m_nesting > maxNesting)
            fail(QStringLiteral("nested too deeply"));
    }

    std::unique_ptr<Node> parseNot()
    {
        if (isKeyword("not")) {
            enter();
            advance();
            auto node = binary(Node::Kind::Not, parseNot(), nullptr);
            --m_nesting;
            return node;
        }
        if (m_token.kind == Token::Kind::Open) {
            enter();
            advance();
            auto inner = parseOr();
            if (m_token.kind != Token::Kind::Close)
                fail(QStringLiteral("missing ')'"));
            advance();
            --m_nesting;
            return inner;
        }
        auto left = parseOperand();
        if (m_token.kind != Token::Kind::Operator)
            fail(m_token.kind == Token::Kind::End
                     ? QStringLiteral("missing comparison")
                     : QStringLiteral("unexpected '%1'").arg(m_token.text));
        if (++m_comparisons > maxComparisons)
            fail(QStringLiteral("too many comparisons"));
        const QString op = m_token.text;
        advance();
        auto node = binary(Node::Kind::Compare, std::move(left), parseOperand());
        node->text = op;
        return node;
    }

    std::unique_ptr<Node> parseOperand()
    {
        auto node = std::make_unique<Node>();
        node->text = m_token.text;
        switch (m_token.kind) {
        case Token::Kind::Identifier:
            if (isKeyword("and") || isKeyword("or") || isKeyword("not"))
                fail(QStringLiteral("unexpected '%1'").arg(m_token.text));
            node->kind = Node::Kind::Field;
            break;
        case Token::Kind::Text:
            node->kind = Node::Kind::Text;
            break;
        case Token::Kind::Number: {
            node->kind = Node::Kind::Number;
            bool ok = false;
            if (!m_token.text.contains(u'.')) {
                const qlonglong value = m_token.text.toLongLong(&ok);
                node->number = value;
            }
            if (!ok) {
                const double value = m_token.text.toDouble(&ok);
                if (!ok)
                    fail(QStringLiteral("bad number '%1'").arg(m_token.text));
                node->number = value;
            }
            break;
        }
        case Token::Kind::End:
            fail(QStringLiteral("missing value"));
        default:
            fail(QStringLiteral("unexpected '%1'").arg(m_token.text));
        }
        advance();
        return node;
    }

    // SQLite's parser overflows at about a hundred open parentheses and refuses expressions
    // over a thousand deep; an accepted filter stays well below both.
    static constexpr int maxNesting = 10;
    static constexpr int maxComparisons = 500;

    QString m_text;
    QString m_context;
    qsizetype m_pos = 0;
    Token m_token;
    int m_nesting = 0;
    int m_comparisons = 0;
};

void collectFields(const Node *node, QStringList &names)
{
    if (!node)
        return;
    if (node->kind == Node::Kind::Field && !names.contains(node->text, Qt::CaseInsensitive))
        names.append(node->text);
    collectFields(node->left.get(), names);
    collectFields(node->right.get(), names);
}

struct SqlWriter
{
    const std::function<QString(const QString &)> &columnFor;
    const QString &context;
    std::vector<QVariant> &parameters;

    QString operand(const Node *node)
    {
        switch (node->kind) {
        case Node::Kind::Field: {
            const QString column = columnFor(node->text);
            if (column.isEmpty())
                throw EFilterError(QStringLiteral("%1: the filter names the unknown field '%2'")
                                       .arg(context, node->text));
            return column;
        }
        case Node::Kind::Text:
            parameters.emplace_back(node->text);
            return QStringLiteral("?");
        default:
            parameters.push_back(node->number);
            return QStringLiteral("?");
        }
    }

    QString write(const Node *node)
    {
        switch (node->kind) {
        case Node::Kind::And:
        case Node::Kind::Or: {
            // A chain of one operator is written flat: SQLite's parser overflows at about a
            // hundred open parentheses. Parameters are appended in text order.
            std::vector<const Node *> rights;
            const Node *leftmost = node;
            for (; leftmost->kind == node->kind; leftmost = leftmost->left.get())
                rights.push_back(leftmost->right.get());
            const QString op = node->kind == Node::Kind::And ? u" AND "_s : u" OR "_s;
            QString sql = u'(' + write(leftmost);
            for (auto it = rights.rbegin(); it != rights.rend(); ++it)
                sql += op + write(*it);
            return sql + u')';
        }
        case Node::Kind::Not:
            return u"(NOT "_s + write(node->left.get()) + u')';
        default:
            break;
        }
        // An empty field counts as blank: '' matches it, whatever the file stored.
        const Node *left = node->left.get();
        const Node *right = node->right.get();
        const bool emptyText = (left->kind == Node::Kind::Text && left->text.isEmpty()) ||
                               (right->kind == Node::Kind::Text && right->text.isEmpty());
        const Node *field = left->kind == Node::Kind::Field ? left : right;
        if (emptyText && field->kind == Node::Kind::Field &&
            (node->text == u"=" || node->text == u"<>")) {
            const QString column = operand(field);
            return node->text == u"=" ? u"(IFNULL("_s + column + u", '') = '')"_s
                                      : u"(IFNULL("_s + column + u", '') <> '')"_s;
        }
        const QString lhs = operand(left);
        const QString rhs = operand(right);
        // An empty field differs from every value: IS NOT is the null-safe <>.
        const QString op = node->text == u"<>" ? u"IS NOT"_s : node->text;
        return u'(' + lhs + u' ' + op + u' ' + rhs + u')';
    }
};

} // namespace

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression &&) noexcept = default;
Expression &Expression::operator=(Expression &&) noexcept = default;

Expression Expression::parse(const QString &text, const QString &context)
{
    Expression expression;
    if (text.trimmed().isEmpty())
        return expression;
    expression.m_root = Parser(text, context).parseAll();
    return expression;
}

QStringList Expression::fieldNames() const
{
    QStringList names;
    collectFields(m_root.get(), names);
    return names;
}

QString Expression::toSql(const std::function<QString(const QString &)> &columnFor,
                          const QString &context, std::vector<QVariant> &parameters) const
{
    if (!m_root)
        return {};
    SqlWriter writer{columnFor, context, parameters};
    return writer.write(m_root.get());
}

} // namespace Filter
