#include "FilterExpression.h"

#include "DataValues.h"
#include "Exceptions.h"
#include "Messages.h"

using namespace Qt::StringLiterals;
using contracts::FieldType;

struct TFilterExpression::Node
{
    enum class Kind { And, Or, Not, Compare, IsNull };
    enum class Op { Eq, Ne, Lt, Gt, Le, Ge };
    Kind kind = Kind::Compare;
    std::unique_ptr<Node> left, right; // And/Or: both; Not: left
    FieldRef field;
    Op op = Op::Eq;
    QVariant value; // stored form of the literal
    bool prefix = false; // 'AB*': compare the first characters only
    bool negate = false; // IS NOT NULL

    bool matches(const QList<QVariant> &row) const
    {
        switch (kind) {
        case Kind::And:
            return left->matches(row) && right->matches(row);
        case Kind::Or:
            return left->matches(row) || right->matches(row);
        case Kind::Not:
            return !left->matches(row);
        case Kind::IsNull:
            return row.at(field.slot).isNull() != negate;
        case Kind::Compare:
            break;
        }
        const QVariant &v = row.at(field.slot);
        int c;
        if (prefix) {
            const QString text = v.toString(), start = value.toString();
            c = text.startsWith(start) ? 0 : DataValues::Compare(v, value, field.type);
        } else {
            c = DataValues::Compare(v, value, field.type);
        }
        // A null never satisfies a comparison with a value.
        if (v.isNull() && !value.isNull())
            return op == Op::Ne;
        switch (op) {
        case Op::Eq:
            return c == 0;
        case Op::Ne:
            return c != 0;
        case Op::Lt:
            return c < 0;
        case Op::Gt:
            return c > 0;
        case Op::Le:
            return c <= 0;
        case Op::Ge:
            return c >= 0;
        }
        return false;
    }
};

namespace {

struct Token
{
    enum class Kind { End, Name, Text, Number, Op, Open, Close };
    Kind kind = Kind::End;
    QString text;
    qsizetype pos = 0;
};

class Parser
{
public:
    Parser(const QString &text, const TFilterExpression::FieldResolver &resolve,
           const QString &dataSetName)
        : m_text(text)
        , m_resolve(resolve)
        , m_dataSetName(dataSetName)
    {
        advance();
    }

    std::unique_ptr<TFilterExpression::Node> parseAll()
    {
        auto node = parseOr();
        if (m_tok.kind != Token::Kind::End)
            fail();
        return node;
    }

private:
    using Node = TFilterExpression::Node;

    [[noreturn]] void fail() const
    {
        MensErro(FwMsg(u"FW_DS_FILTRO_INVALIDO"_s).arg(m_dataSetName, m_text).arg(m_tok.pos + 1));
    }

    bool isKeyword(const char16_t *word) const
    {
        return m_tok.kind == Token::Kind::Name
            && m_tok.text.compare(word, Qt::CaseInsensitive) == 0;
    }

    void advance()
    {
        const qsizetype n = m_text.size();
        while (m_pos < n && m_text.at(m_pos).isSpace())
            ++m_pos;
        m_tok = Token {Token::Kind::End, {}, m_pos};
        if (m_pos >= n)
            return;
        const QChar c = m_text.at(m_pos);
        if (c.isLetter() || c == u'_') {
            const qsizetype start = m_pos;
            while (m_pos < n && (m_text.at(m_pos).isLetterOrNumber() || m_text.at(m_pos) == u'_'))
                ++m_pos;
            m_tok.kind = Token::Kind::Name;
            m_tok.text = m_text.mid(start, m_pos - start);
        } else if (c == u'[') {
            const qsizetype end = m_text.indexOf(u']', m_pos);
            if (end < 0)
                fail();
            m_tok.kind = Token::Kind::Name;
            m_tok.text = m_text.mid(m_pos + 1, end - m_pos - 1);
            m_pos = end + 1;
        } else if (c == u'\'' || c == u'"') {
            ++m_pos;
            QString text;
            for (;;) {
                if (m_pos >= n)
                    fail();
                if (m_text.at(m_pos) == c) {
                    if (m_pos + 1 < n && m_text.at(m_pos + 1) == c) {
                        text.append(c);
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                text.append(m_text.at(m_pos++));
            }
            m_tok.kind = Token::Kind::Text;
            m_tok.text = text;
        } else if (c.isDigit()
                   || ((c == u'-' || c == u'.') && m_pos + 1 < n
                       && m_text.at(m_pos + 1).isDigit())) {
            const qsizetype start = m_pos++;
            while (m_pos < n && (m_text.at(m_pos).isDigit() || m_text.at(m_pos) == u'.'))
                ++m_pos;
            m_tok.kind = Token::Kind::Number;
            m_tok.text = m_text.mid(start, m_pos - start);
        } else if (c == u'(' || c == u')') {
            m_tok.kind = c == u'(' ? Token::Kind::Open : Token::Kind::Close;
            ++m_pos;
        } else {
            for (const QString &op : {u"<>"_s, u"!="_s, u"<="_s, u">="_s, u"="_s, u"<"_s, u">"_s}) {
                if (QStringView(m_text).mid(m_pos).startsWith(op)) {
                    m_tok.kind = Token::Kind::Op;
                    m_tok.text = op;
                    m_pos += op.size();
                    return;
                }
            }
            fail();
        }
    }

    std::unique_ptr<Node> parseOr()
    {
        auto node = parseAnd();
        while (isKeyword(u"OR")) {
            advance();
            auto joined = std::make_unique<Node>();
            joined->kind = Node::Kind::Or;
            joined->left = std::move(node);
            joined->right = parseAnd();
            node = std::move(joined);
        }
        return node;
    }

    std::unique_ptr<Node> parseAnd()
    {
        auto node = parseUnary();
        while (isKeyword(u"AND")) {
            advance();
            auto joined = std::make_unique<Node>();
            joined->kind = Node::Kind::And;
            joined->left = std::move(node);
            joined->right = parseUnary();
            node = std::move(joined);
        }
        return node;
    }

    std::unique_ptr<Node> parseUnary()
    {
        if (isKeyword(u"NOT")) {
            advance();
            auto node = std::make_unique<Node>();
            node->kind = Node::Kind::Not;
            node->left = parseUnary();
            return node;
        }
        if (m_tok.kind == Token::Kind::Open) {
            advance();
            auto node = parseOr();
            if (m_tok.kind != Token::Kind::Close)
                fail();
            advance();
            return node;
        }
        return parseComparison();
    }

    std::unique_ptr<Node> parseComparison()
    {
        if (m_tok.kind != Token::Kind::Name || isKeyword(u"AND") || isKeyword(u"OR"))
            fail();
        const auto field = m_resolve(m_tok.text);
        if (!field)
            MensErro(FwMsg(u"FW_DS_CAMPO_NAO_ENCONTRADO"_s).arg(m_tok.text, m_dataSetName));
        advance();
        auto node = std::make_unique<Node>();
        node->field = *field;
        if (isKeyword(u"IS")) {
            advance();
            node->kind = Node::Kind::IsNull;
            if (isKeyword(u"NOT")) {
                node->negate = true;
                advance();
            }
            if (!isKeyword(u"NULL"))
                fail();
            advance();
            return node;
        }
        if (m_tok.kind != Token::Kind::Op)
            fail();
        const QString op = m_tok.text;
        node->op = op == u"="              ? Node::Op::Eq
            : (op == u"<>" || op == u"!=") ? Node::Op::Ne
            : op == u"<"                   ? Node::Op::Lt
            : op == u">"                   ? Node::Op::Gt
            : op == u"<="                  ? Node::Op::Le
                                           : Node::Op::Ge;
        advance();
        QVariant literal;
        if (m_tok.kind == Token::Kind::Text) {
            QString text = m_tok.text;
            const bool isString = field->type == FieldType::String
                || field->type == FieldType::FixedString || field->type == FieldType::Memo;
            if (isString && text.endsWith(u'*')
                && (node->op == Node::Op::Eq || node->op == Node::Op::Ne)) {
                text.chop(1);
                node->prefix = true;
            }
            literal = text;
        } else if (m_tok.kind == Token::Kind::Number) {
            literal = m_tok.text.toDouble();
        } else if (isKeyword(u"NULL")) {
            literal = QVariant();
        } else {
            fail();
        }
        // Literals are compared as stored values, but never cut to the field's width.
        const auto stored = DataValues::ToStored(literal, field->type, 0);
        if (!stored)
            fail();
        node->value = *stored;
        if (field->type == FieldType::FixedString && !node->prefix && !node->value.isNull())
            node->value = node->value.toString().leftJustified(field->size, u' ');
        advance();
        return node;
    }

    QString m_text;
    const TFilterExpression::FieldResolver &m_resolve;
    QString m_dataSetName;
    qsizetype m_pos = 0;
    Token m_tok;
};

} // namespace

TFilterExpression::TFilterExpression(std::unique_ptr<Node> root)
    : m_root(std::move(root))
{ }

TFilterExpression::~TFilterExpression() = default;

std::shared_ptr<const TFilterExpression> TFilterExpression::Parse(const QString &text,
                                                                  const FieldResolver &resolve,
                                                                  const QString &dataSetName)
{
    Parser parser(text, resolve, dataSetName);
    return std::shared_ptr<const TFilterExpression>(new TFilterExpression(parser.parseAll()));
}

bool TFilterExpression::Matches(const QList<QVariant> &row) const
{
    return m_root->matches(row);
}

std::optional<TFilterExpression::Equality>
TFilterExpression::IndexableEquality(const std::function<bool(int slot)> &accept) const
{
    // Walk the top-level AND chain only: under OR or NOT an equality does not bound the rows.
    std::vector<const Node *> pending {m_root.get()};
    while (!pending.empty()) {
        const Node *node = pending.back();
        pending.pop_back();
        if (node->kind == Node::Kind::And) {
            pending.push_back(node->right.get());
            pending.push_back(node->left.get());
        } else if (node->kind == Node::Kind::Compare && node->op == Node::Op::Eq && !node->prefix
                   && !node->value.isNull() && accept(node->field.slot)) {
            return Equality {node->field.slot, node->value, node == m_root.get()};
        }
    }
    return std::nullopt;
}
