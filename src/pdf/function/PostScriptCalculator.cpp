#include "pdf/function/PostScriptCalculator.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <unordered_map>

namespace kx::detail {

namespace {

using Op = PostScriptCalculator::Op;
using Instruction = PostScriptCalculator::Instruction;

const std::unordered_map<std::string_view, Op>& operatorTable() {
    static const std::unordered_map<std::string_view, Op> table = {
        {"abs", Op::Abs},       {"add", Op::Add},         {"atan", Op::Atan},   {"ceiling", Op::Ceiling},
        {"cos", Op::Cos},       {"cvi", Op::Cvi},         {"cvr", Op::Cvr},     {"div", Op::Div},
        {"exp", Op::Exp},       {"floor", Op::Floor},     {"idiv", Op::Idiv},   {"ln", Op::Ln},
        {"log", Op::Log},       {"mod", Op::Mod},         {"mul", Op::Mul},     {"neg", Op::Neg},
        {"round", Op::Round},   {"sin", Op::Sin},         {"sqrt", Op::Sqrt},   {"sub", Op::Sub},
        {"truncate", Op::Truncate},
        {"and", Op::And},       {"bitshift", Op::Bitshift}, {"eq", Op::Eq},     {"false", Op::False},
        {"ge", Op::Ge},         {"gt", Op::Gt},           {"le", Op::Le},       {"lt", Op::Lt},
        {"ne", Op::Ne},         {"not", Op::Not},         {"or", Op::Or},       {"true", Op::True},
        {"xor", Op::Xor},
        {"copy", Op::Copy},     {"dup", Op::Dup},         {"exch", Op::Exch},   {"index", Op::Index},
        {"pop", Op::Pop},       {"roll", Op::Roll},
    };
    return table;
}

// White space as the C locale has it, whatever locale the application runs in.
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool isDelimiter(char c) {
    return isSpace(c) || c == '{' || c == '}' || c == '%' || c == '(' ||
           c == ')' || c == '[' || c == ']' || c == '<' || c == '>' || c == '/' || c == '\0';
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : text_(text) {}
    // The next token, or an empty view at the end.
    std::string_view next() {
        while (pos_ < text_.size()) {
            char c = text_[pos_];
            if (isSpace(c) || c == '\0') {
                ++pos_;
            } else if (c == '%') {
                while (pos_ < text_.size() && text_[pos_] != '\n' && text_[pos_] != '\r') ++pos_;
            } else {
                break;
            }
        }
        if (pos_ >= text_.size()) return {};
        size_t start = pos_;
        if (text_[pos_] == '{' || text_[pos_] == '}') return text_.substr(pos_++, 1);
        while (pos_ < text_.size() && !isDelimiter(text_[pos_])) ++pos_;
        if (pos_ == start) return text_.substr(pos_++, 1);  // a stray delimiter: refused by the parser
        return text_.substr(start, pos_ - start);
    }
    std::string_view peek() {
        size_t saved = pos_;
        std::string_view t = next();
        pos_ = saved;
        return t;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// A number token: an integer (with sign) or a real ("1.5", ".5", "-2.", "1e3").
bool parseNumber(std::string_view t, Instruction& out) {
    if (t.empty()) return false;
    std::string_view digits = t;
    if (digits.front() == '+') digits.remove_prefix(1);
    if (digits.empty()) return false;
    std::int64_t i = 0;
    auto [ip, iec] = std::from_chars(digits.data(), digits.data() + digits.size(), i);
    if (iec == std::errc() && ip == digits.data() + digits.size()) {
        out.op = Op::PushInt;
        out.integer = i;
        return true;
    }
    double r = 0;
    auto [rp, rec] = std::from_chars(digits.data(), digits.data() + digits.size(), r);
    if (rec == std::errc() && rp == digits.data() + digits.size() && std::isfinite(r)) {
        out.op = Op::PushReal;
        out.real = r;
        return true;
    }
    return false;
}

class Compiler {
public:
    explicit Compiler(std::string_view text) : tokens_(text) {}

    bool compileProgram(std::vector<Instruction>& code) {
        if (tokens_.next() != "{") return false;
        if (!body(code, 1)) return false;
        // Nothing but white space and comments may follow the procedure.
        return tokens_.next().empty();
    }

private:
    bool emit(std::vector<Instruction>& code, Instruction ins) {
        if (code.size() >= PostScriptCalculator::kMaxInstructions) return false;
        code.push_back(ins);
        return true;
    }

    // The tokens of a procedure up to its closing brace (the opening one is read).
    bool body(std::vector<Instruction>& code, int depth) {
        if (depth > PostScriptCalculator::kMaxNesting) return false;
        for (;;) {
            std::string_view t = tokens_.next();
            if (t.empty()) return false;  // unclosed
            if (t == "}") return true;
            if (t == "{") {
                // `bool {then} if` or `bool {then} {else} ifelse`: the condition is on the stack.
                size_t branch = code.size();
                if (!emit(code, {Op::JumpIfFalse, 0, 0})) return false;
                if (!body(code, depth + 1)) return false;
                if (tokens_.peek() == "{") {
                    tokens_.next();
                    size_t skip = code.size();
                    if (!emit(code, {Op::Jump, 0, 0})) return false;
                    code[branch].integer = static_cast<std::int64_t>(code.size());
                    if (!body(code, depth + 1)) return false;
                    code[skip].integer = static_cast<std::int64_t>(code.size());
                    if (tokens_.next() != "ifelse") return false;
                } else {
                    code[branch].integer = static_cast<std::int64_t>(code.size());
                    if (tokens_.next() != "if") return false;
                }
                continue;
            }
            Instruction ins;
            if (parseNumber(t, ins)) {
                if (!emit(code, ins)) return false;
                continue;
            }
            auto it = operatorTable().find(t);
            if (it == operatorTable().end()) return false;
            if (!emit(code, {it->second, 0, 0})) return false;
        }
    }

    Tokenizer tokens_;
};

struct Value {
    enum Kind : std::uint8_t { Int, Real, Bool } kind = Int;
    std::int64_t i = 0;
    double r = 0;
    bool b = false;

    static Value integer(std::int64_t v) { return {Int, v, 0, false}; }
    static Value real(double v) { return {Real, 0, v, false}; }
    static Value boolean(bool v) { return {Bool, 0, 0, v}; }
    bool isNumber() const { return kind != Bool; }
    double number() const { return kind == Int ? static_cast<double>(i) : r; }
};

class Machine {
public:
    bool push(Value v) {
        if (size_ >= PostScriptCalculator::kMaxStack) return false;
        stack_[size_++] = v;
        return true;
    }
    bool pop(Value& v) {
        if (size_ == 0) return false;
        v = stack_[--size_];
        return true;
    }
    bool popNumber(Value& v) { return pop(v) && v.isNumber(); }
    bool popInt(std::int64_t& out) {
        Value v;
        if (!pop(v) || v.kind != Value::Int) return false;
        out = v.i;
        return true;
    }
    size_t size() const { return size_; }
    Value& fromTop(size_t k) { return stack_[size_ - 1 - k]; }

private:
    Value stack_[PostScriptCalculator::kMaxStack];
    size_t size_ = 0;
};

// A real result, refused when it is not a number (log of a negative, overflow to infinity).
bool pushReal(Machine& m, double v) { return std::isfinite(v) && m.push(Value::real(v)); }

// Integer arithmetic that leaves the integers turns into reals, as the language does.
bool pushIntOrReal(Machine& m, long double exact) {
    if (exact >= static_cast<long double>(std::numeric_limits<std::int64_t>::min()) &&
        exact <= static_cast<long double>(std::numeric_limits<std::int64_t>::max()) && exact == std::trunc(exact))
        return m.push(Value::integer(static_cast<std::int64_t>(exact)));
    return pushReal(m, static_cast<double>(exact));
}

constexpr double kDegrees = 180.0 / 3.14159265358979323846;

bool step(Machine& m, const Instruction& ins) {
    Value a, b;
    switch (ins.op) {
        case Op::PushInt: return m.push(Value::integer(ins.integer));
        case Op::PushReal: return m.push(Value::real(ins.real));
        case Op::JumpIfFalse:
        case Op::Jump: return false;  // handled by the caller
        case Op::Abs:
            if (!m.popNumber(a)) return false;
            return a.kind == Value::Int ? pushIntOrReal(m, std::fabs(static_cast<long double>(a.i)))
                                        : pushReal(m, std::fabs(a.r));
        case Op::Neg:
            if (!m.popNumber(a)) return false;
            return a.kind == Value::Int ? pushIntOrReal(m, -static_cast<long double>(a.i)) : pushReal(m, -a.r);
        case Op::Add:
        case Op::Sub:
        case Op::Mul: {
            if (!m.popNumber(b) || !m.popNumber(a)) return false;
            if (a.kind == Value::Int && b.kind == Value::Int) {
                long double x = a.i, y = b.i;
                return pushIntOrReal(m, ins.op == Op::Add ? x + y : ins.op == Op::Sub ? x - y : x * y);
            }
            double x = a.number(), y = b.number();
            return pushReal(m, ins.op == Op::Add ? x + y : ins.op == Op::Sub ? x - y : x * y);
        }
        case Op::Div:
            if (!m.popNumber(b) || !m.popNumber(a) || b.number() == 0) return false;
            return pushReal(m, a.number() / b.number());
        case Op::Idiv:
        case Op::Mod: {
            std::int64_t x = 0, y = 0;
            if (!m.popInt(y) || !m.popInt(x) || y == 0) return false;
            if (x == std::numeric_limits<std::int64_t>::min() && y == -1)
                return ins.op == Op::Idiv ? pushReal(m, -static_cast<double>(x)) : m.push(Value::integer(0));
            return m.push(Value::integer(ins.op == Op::Idiv ? x / y : x % y));
        }
        case Op::Atan: {
            if (!m.popNumber(b) || !m.popNumber(a)) return false;
            double num = a.number(), den = b.number();
            if (num == 0 && den == 0) return false;
            double deg = std::atan2(num, den) * kDegrees;
            if (deg < 0) deg += 360;
            return pushReal(m, deg);
        }
        case Op::Sin:
        case Op::Cos: {
            if (!m.popNumber(a)) return false;
            double rad = std::fmod(a.number(), 360.0) / kDegrees;
            return pushReal(m, ins.op == Op::Sin ? std::sin(rad) : std::cos(rad));
        }
        case Op::Ceiling:
        case Op::Floor:
        case Op::Round:
        case Op::Truncate: {
            if (!m.popNumber(a)) return false;
            if (a.kind == Value::Int) return m.push(a);
            double x = a.r;
            double y = ins.op == Op::Ceiling ? std::ceil(x)
                       : ins.op == Op::Floor ? std::floor(x)
                       : ins.op == Op::Round ? std::floor(x + 0.5)
                                             : std::trunc(x);
            return pushReal(m, y);
        }
        case Op::Cvi: {
            if (!m.popNumber(a)) return false;
            if (a.kind == Value::Int) return m.push(a);
            double t = std::trunc(a.r);
            if (!(t >= -9.2e18 && t <= 9.2e18)) return false;
            return m.push(Value::integer(static_cast<std::int64_t>(t)));
        }
        case Op::Cvr:
            if (!m.popNumber(a)) return false;
            return pushReal(m, a.number());
        case Op::Exp:
            if (!m.popNumber(b) || !m.popNumber(a)) return false;
            return pushReal(m, std::pow(a.number(), b.number()));
        case Op::Ln:
        case Op::Log:
            if (!m.popNumber(a) || !(a.number() > 0)) return false;
            return pushReal(m, ins.op == Op::Ln ? std::log(a.number()) : std::log10(a.number()));
        case Op::Sqrt:
            if (!m.popNumber(a) || a.number() < 0) return false;
            return pushReal(m, std::sqrt(a.number()));
        case Op::And:
        case Op::Or:
        case Op::Xor: {
            if (!m.pop(b) || !m.pop(a)) return false;
            if (a.kind == Value::Bool && b.kind == Value::Bool) {
                bool r = ins.op == Op::And ? (a.b && b.b) : ins.op == Op::Or ? (a.b || b.b) : (a.b != b.b);
                return m.push(Value::boolean(r));
            }
            if (a.kind == Value::Int && b.kind == Value::Int) {
                std::int64_t r = ins.op == Op::And ? (a.i & b.i) : ins.op == Op::Or ? (a.i | b.i) : (a.i ^ b.i);
                return m.push(Value::integer(r));
            }
            return false;
        }
        case Op::Not:
            if (!m.pop(a)) return false;
            if (a.kind == Value::Bool) return m.push(Value::boolean(!a.b));
            if (a.kind == Value::Int) return m.push(Value::integer(~a.i));
            return false;
        case Op::Bitshift: {
            std::int64_t x = 0, shift = 0;
            if (!m.popInt(shift) || !m.popInt(x)) return false;
            auto u = static_cast<std::uint64_t>(x);
            if (shift >= 64 || shift <= -64) u = 0;
            else if (shift >= 0) u <<= shift;
            else u >>= -shift;
            return m.push(Value::integer(static_cast<std::int64_t>(u)));
        }
        case Op::Eq:
        case Op::Ne: {
            if (!m.pop(b) || !m.pop(a)) return false;
            bool equal;
            if (a.isNumber() && b.isNumber()) equal = a.number() == b.number();
            else if (a.kind == Value::Bool && b.kind == Value::Bool) equal = a.b == b.b;
            else equal = false;
            return m.push(Value::boolean(ins.op == Op::Eq ? equal : !equal));
        }
        case Op::Ge:
        case Op::Gt:
        case Op::Le:
        case Op::Lt: {
            if (!m.popNumber(b) || !m.popNumber(a)) return false;
            double x = a.number(), y = b.number();
            bool r = ins.op == Op::Ge ? x >= y : ins.op == Op::Gt ? x > y : ins.op == Op::Le ? x <= y : x < y;
            return m.push(Value::boolean(r));
        }
        case Op::True: return m.push(Value::boolean(true));
        case Op::False: return m.push(Value::boolean(false));
        case Op::Dup:
            if (m.size() < 1) return false;
            return m.push(m.fromTop(0));
        case Op::Exch:
            if (m.size() < 2) return false;
            std::swap(m.fromTop(0), m.fromTop(1));
            return true;
        case Op::Pop: return m.pop(a);
        case Op::Copy: {
            std::int64_t n = 0;
            if (!m.popInt(n) || n < 0 || static_cast<std::uint64_t>(n) > m.size()) return false;
            auto count = static_cast<size_t>(n);
            for (size_t k = 0; k < count; ++k)
                if (!m.push(m.fromTop(count - 1))) return false;
            return true;
        }
        case Op::Index: {
            std::int64_t n = 0;
            if (!m.popInt(n) || n < 0 || static_cast<std::uint64_t>(n) >= m.size()) return false;
            return m.push(m.fromTop(static_cast<size_t>(n)));
        }
        case Op::Roll: {
            std::int64_t j = 0, n = 0;
            if (!m.popInt(j) || !m.popInt(n) || n < 0 || static_cast<std::uint64_t>(n) > m.size()) return false;
            if (n == 0) return true;
            auto count = static_cast<size_t>(n);
            // Positive j moves elements up (toward the top), wrapping around.
            std::int64_t shift = ((j % n) + n) % n;
            std::vector<Value> window(count);
            for (size_t k = 0; k < count; ++k) window[k] = m.fromTop(count - 1 - k);  // bottom first
            for (size_t k = 0; k < count; ++k)
                m.fromTop(count - 1 - ((k + static_cast<size_t>(shift)) % count)) = window[k];
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<PostScriptCalculator> PostScriptCalculator::compile(std::string_view program) {
    PostScriptCalculator calc;
    Compiler compiler(program);
    if (!compiler.compileProgram(calc.code_)) return std::nullopt;
    return calc;
}

bool PostScriptCalculator::run(const double* inputs, int inputCount, double* outputs, int outputCount) const {
    Machine m;
    for (int i = 0; i < inputCount; ++i)
        if (!m.push(Value::real(inputs[i]))) return false;
    size_t pc = 0;
    while (pc < code_.size()) {
        const Instruction& ins = code_[pc];
        if (ins.op == Op::Jump) {
            pc = static_cast<size_t>(ins.integer);
            continue;
        }
        if (ins.op == Op::JumpIfFalse) {
            Value cond;
            if (!m.pop(cond) || cond.kind != Value::Bool) return false;
            pc = cond.b ? pc + 1 : static_cast<size_t>(ins.integer);
            continue;
        }
        if (!step(m, ins)) return false;
        ++pc;
    }
    if (outputCount < 0 || m.size() < static_cast<size_t>(outputCount)) return false;
    for (int j = outputCount - 1; j >= 0; --j) {
        Value v;
        if (!m.popNumber(v)) return false;
        outputs[j] = v.number();
    }
    return true;
}

}  // namespace kx::detail
