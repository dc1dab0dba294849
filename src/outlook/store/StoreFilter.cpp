#include "StoreFilter.h"

#include <cctype>

#include "../../util/LocaleValues.h"
#include "../../util/OleDateTime.h"
#include "../../util/Parser.h"

struct CStoreFilter::Node {
    enum class Op { And, Or, Less, LessEq, Greater, GreaterEq, Equal, NotEqual } op = Op::And;
    enum class Field { Start, End, Modified, Recurring } field = Field::Start;
    double value = 0; // linear days
    std::unique_ptr<Node> left, right;
};

CStoreFilter::CStoreFilter() = default;
CStoreFilter::~CStoreFilter() = default;

namespace {

// Words and numbers of a date text, in order.
std::vector<std::string> Tokens(const std::string& s) {
    std::vector<std::string> out;
    std::string cur;
    auto flush = [&] {
        if (!cur.empty()) out.push_back(cur);
        cur.clear();
    };
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        bool digit = std::isdigit(c) != 0;
        bool word = std::isalpha(c) || c >= 0x80;
        if (!digit && !word) {
            flush();
            continue;
        }
        if (!cur.empty() && (std::isdigit(static_cast<unsigned char>(cur.back())) != 0) != digit) flush();
        cur += static_cast<char>(c);
    }
    flush();
    return out;
}

// Order of day (d), month (M) and year (y) in a date picture.
std::string FieldOrder(const std::string& picture) {
    std::string order;
    bool quoted = false;
    for (char c : picture) {
        if (c == '\'') quoted = !quoted;
        if (quoted) continue;
        if ((c == 'M' || c == 'y') && order.find(c) == std::string::npos) order += c;
        if (c == 'd' && order.find('d') == std::string::npos) order += 'd';
    }
    return order;
}

} // namespace

bool CStoreFilter::ParseDateText(const std::string& text, const CLocaleValues& locale, double& out) {
    std::vector<std::string> tokens = Tokens(text);
    auto Lower = [&](const std::string& s) { return locale.ToLower(s); };
    for (auto& t : tokens)
        if (!std::isdigit(static_cast<unsigned char>(t[0]))) t = Lower(t);
    // A designator is matched as the formatter writes it, as a run of words:
    // "a.m." is the words "a" "m", and it may stand before the time ("오전 9:30").
    bool pm = false, am = false;
    std::vector<bool> used(tokens.size(), false);
    auto designator = [&](const std::string& d) {
        std::vector<std::string> words = Tokens(d);
        for (auto& w : words) w = Lower(w);
        if (words.empty()) return false;
        for (size_t i = 0; i + words.size() <= tokens.size(); ++i) {
            bool match = true;
            for (size_t k = 0; k < words.size() && match; ++k) match = !used[i + k] && tokens[i + k] == words[k];
            if (!match) continue;
            for (size_t k = 0; k < words.size(); ++k) used[i + k] = true;
            return true;
        }
        return false;
    };
    // The longer designator first, so that one that contains the other is not mistaken for it.
    if (locale.m_am.size() >= locale.m_pm.size()) {
        am = designator(locale.m_am);
        pm = !am && designator(locale.m_pm);
    } else {
        pm = designator(locale.m_pm);
        am = !pm && designator(locale.m_am);
    }
    std::vector<int> numbers;
    int month = 0;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const std::string& t = tokens[i];
        if (used[i]) continue;
        if (std::isdigit(static_cast<unsigned char>(t[0]))) {
            if (t.size() > 9) return false;
            numbers.push_back(std::stoi(t));
            continue;
        }
        // A name may also carry a prefix written without a blank, as Hebrew's "ב"
        // ("in") before the month: an exact match first, then a name at the word's end.
        for (int pass = 0; pass < 2 && !month; ++pass)
            for (int m = 0; m < 12 && !month; ++m)
                for (const std::string& name : {locale.m_monthNames[m], locale.m_genitiveMonthNames[m],
                                                EParser::TrimChars(locale.m_abbrevMonthNames[m], ".")}) {
                    const std::string n = Lower(name);
                    if (n.empty()) continue;
                    if (pass == 0 ? t == n
                                  : n.size() >= 3 && t.size() > n.size() && t.compare(t.size() - n.size(), n.size(), n) == 0)
                        month = m + 1;
                }
        // day names and other words carry nothing
    }
    // The date picture says where day, month and year stand; the time follows the date.
    std::string order = FieldOrder(locale.m_longDateFormat);
    if (order.size() != 3) order = "Mdy";
    size_t dateNumbers = month ? 2 : 3;
    if (numbers.size() < dateNumbers + 2) return false;
    int day = 0, year = 0;
    size_t next = 0;
    for (char f : order) {
        if (f == 'M' && month) continue;
        int v = numbers[next++];
        if (f == 'd') day = v;
        if (f == 'M') month = v;
        if (f == 'y') year = v < 100 ? v + 2000 : v;
    }
    int hour = numbers[dateNumbers], minute = numbers[dateNumbers + 1];
    if (pm && hour < 12) hour += 12;
    if (am && hour == 12) hour = 0;
    COleDateTime d(year, month, day, hour, minute, 0);
    if (d.GetStatus() != COleDateTime::valid) return false;
    out = d.m_dt;
    return true;
}

namespace {

class Parser {
public:
    Parser(const std::string& text, const CLocaleValues& locale, std::vector<double>& dates)
        : m_s(text), m_locale(locale), m_dates(dates) {}

    std::unique_ptr<CStoreFilter::Node> Run(std::string& error) {
        auto n = Expr();
        Skip();
        if (n && m_pos != m_s.size()) Fail("unexpected text");
        if (!m_error.empty()) {
            error = m_error;
            return nullptr;
        }
        return n;
    }

private:
    using NodePtr = std::unique_ptr<CStoreFilter::Node>;
    using Op = CStoreFilter::Node::Op;

    void Skip() {
        while (m_pos < m_s.size() && std::isspace(static_cast<unsigned char>(m_s[m_pos]))) ++m_pos;
    }
    NodePtr Fail(const std::string& what) {
        if (m_error.empty()) m_error = what + " at position " + std::to_string(m_pos + 1);
        return nullptr;
    }
    bool Keyword(const char* word) {
        Skip();
        size_t n = std::char_traits<char>::length(word);
        if (m_s.size() - m_pos < n || EParser::ToLower(m_s.substr(m_pos, n)) != word) return false;
        if (m_pos + n < m_s.size() && std::isalnum(static_cast<unsigned char>(m_s[m_pos + n]))) return false;
        m_pos += n;
        return true;
    }
    NodePtr Join(Op op, NodePtr l, NodePtr r) {
        auto n = std::make_unique<CStoreFilter::Node>();
        n->op = op;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }
    NodePtr Expr() {
        NodePtr l = Term();
        while (l && Keyword("or")) {
            NodePtr r = Term();
            if (!r) return nullptr;
            l = Join(Op::Or, std::move(l), std::move(r));
        }
        return l;
    }
    NodePtr Term() {
        NodePtr l = Factor();
        while (l && Keyword("and")) {
            NodePtr r = Factor();
            if (!r) return nullptr;
            l = Join(Op::And, std::move(l), std::move(r));
        }
        return l;
    }
    NodePtr Factor() {
        Skip();
        if (m_pos < m_s.size() && m_s[m_pos] == '(') {
            if (m_depth >= kMaxDepth)
                return Fail("parentheses nested deeper than " + std::to_string(kMaxDepth) + " levels");
            ++m_pos;
            ++m_depth;
            NodePtr n = Expr();
            --m_depth;
            Skip();
            if (!n) return nullptr;
            if (m_pos >= m_s.size() || m_s[m_pos] != ')') return Fail("expected ')'");
            ++m_pos;
            return n;
        }
        return Comparison();
    }
    NodePtr Comparison() {
        Skip();
        if (m_pos >= m_s.size() || m_s[m_pos] != '[') return Fail("expected a [field]");
        if (++m_comparisons > kMaxComparisons)
            return Fail("more than " + std::to_string(kMaxComparisons) + " comparisons");
        size_t close = m_s.find(']', m_pos);
        if (close == std::string::npos) return Fail("expected ']'");
        std::string field = m_s.substr(m_pos + 1, close - m_pos - 1);
        using Field = CStoreFilter::Node::Field;
        Field which;
        if (field == "Start") which = Field::Start;
        else if (field == "End") which = Field::End;
        else if (field == "LastModificationTime") which = Field::Modified;
        else if (field == "IsRecurring") which = Field::Recurring;
        else return Fail("unsupported field [" + field + "]");
        m_pos = close + 1;
        Skip();
        static const std::pair<const char*, Op> kOps[] = {{">=", Op::GreaterEq}, {"<=", Op::LessEq},
                                                          {"<>", Op::NotEqual},  {">", Op::Greater},
                                                          {"<", Op::Less},       {"=", Op::Equal}};
        auto n = std::make_unique<CStoreFilter::Node>();
        bool found = false;
        for (const auto& [text, op] : kOps) {
            if (m_s.compare(m_pos, std::char_traits<char>::length(text), text) == 0) {
                n->op = op;
                m_pos += std::char_traits<char>::length(text);
                found = true;
                break;
            }
        }
        if (!found) return Fail("expected a comparison operator");
        n->field = which;
        Skip();
        if (which == Field::Recurring) {
            if (n->op != Op::Equal && n->op != Op::NotEqual) return Fail("[IsRecurring] is compared with = or <>");
            if (Keyword("true")) n->value = 1;
            else if (Keyword("false")) n->value = 0;
            else return Fail("expected True or False");
            return n;
        }
        if (m_pos >= m_s.size() || m_s[m_pos] != '\'') return Fail("expected a quoted date");
        // Inside the quotes a quote is written twice; a single one ends the text.
        std::string text;
        size_t end = m_pos + 1;
        for (;; ++end) {
            if (end >= m_s.size()) return Fail("unterminated quoted date");
            if (m_s[end] != '\'') {
                text += m_s[end];
                continue;
            }
            if (end + 1 < m_s.size() && m_s[end + 1] == '\'') {
                text += '\'';
                ++end;
                continue;
            }
            break;
        }
        double date = 0;
        if (!CStoreFilter::ParseDateText(text, m_locale, date)) return Fail("not a date: '" + text + "'");
        m_pos = end + 1;
        n->value = COleDateTime::ToLinear(date);
        m_dates.push_back(date);
        return n;
    }

    // The tree is evaluated and freed recursively: its depth is bounded by both limits.
    static constexpr int kMaxDepth = 100;
    static constexpr int kMaxComparisons = 1000;

    const std::string& m_s;
    const CLocaleValues& m_locale;
    int m_depth = 0;
    int m_comparisons = 0;
    std::vector<double>& m_dates;
    size_t m_pos = 0;
    std::string m_error;
};

bool Eval(const CStoreFilter::Node& n, const CStoreFilter::Fields& f) {
    using Op = CStoreFilter::Node::Op;
    using Field = CStoreFilter::Node::Field;
    switch (n.op) {
    case Op::And: return Eval(*n.left, f) && Eval(*n.right, f);
    case Op::Or: return Eval(*n.left, f) || Eval(*n.right, f);
    default: break;
    }
    if (n.field == Field::Recurring) return (f.recurring == (n.value != 0)) == (n.op == Op::Equal);
    const double v = COleDateTime::ToLinear(n.field == Field::End ? f.end : n.field == Field::Modified ? f.modified : f.start);
    // Outlook compares at the minute the filter text can express.
    double a = static_cast<double>(static_cast<long long>(v * 1440.0 + (v >= 0 ? 1e-6 : -1e-6)));
    double b = static_cast<double>(static_cast<long long>(n.value * 1440.0 + (n.value >= 0 ? 1e-6 : -1e-6)));
    switch (n.op) {
    case Op::Less: return a < b;
    case Op::LessEq: return a <= b;
    case Op::Greater: return a > b;
    case Op::GreaterEq: return a >= b;
    case Op::Equal: return a == b;
    case Op::NotEqual: return a != b;
    default: return false;
    }
}

} // namespace

std::unique_ptr<CStoreFilter> CStoreFilter::Parse(const std::string& text, const CLocaleValues& locale,
                                                  std::string& error) {
    auto f = std::make_unique<CStoreFilter>();
    Parser p(text, locale, f->m_dates);
    f->m_root = p.Run(error);
    if (!f->m_root) {
        if (error.empty()) error = "empty filter";
        return nullptr;
    }
    return f;
}

bool CStoreFilter::Matches(const Fields& item) const { return m_root && Eval(*m_root, item); }
