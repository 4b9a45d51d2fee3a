#pragma once
// The calculator language of PostScript functions: numbers, booleans, the arithmetic, relational,
// boolean, bitwise and stack operators, and `if` / `ifelse` over nested procedures. A program is
// compiled once into straight-line code with forward jumps, so running it takes at most one step
// per instruction; the operand stack holds at most 100 entries.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kx::detail {

class PostScriptCalculator {
public:
    // nullopt when the text is not one well-formed procedure `{ ... }` of known operators (or is
    // beyond the size and nesting limits).
    static std::optional<PostScriptCalculator> compile(std::string_view program);

    // Pushes the inputs, runs the program and takes the top `outputCount` numbers as outputs
    // (deepest first). False on a run-time error (stack underflow or overflow, a wrong operand
    // type, a division by zero, a result that is not a number, too few results).
    bool run(const double* inputs, int inputCount, double* outputs, int outputCount) const;

    static constexpr size_t kMaxStack = 100;
    static constexpr size_t kMaxInstructions = 65536;
    static constexpr int kMaxNesting = 64;

    enum class Op : std::uint8_t {
        PushInt, PushReal, JumpIfFalse, Jump,
        Abs, Add, Atan, Ceiling, Cos, Cvi, Cvr, Div, Exp, Floor, Idiv, Ln, Log, Mod, Mul, Neg, Round,
        Sin, Sqrt, Sub, Truncate,
        And, Bitshift, Eq, False, Ge, Gt, Le, Lt, Ne, Not, Or, True, Xor,
        Copy, Dup, Exch, Index, Pop, Roll,
    };
    struct Instruction {
        Op op = Op::PushInt;
        std::int64_t integer = 0;  // PushInt value, jump target
        double real = 0;           // PushReal value
    };

private:
    std::vector<Instruction> code_;
};

}  // namespace kx::detail
