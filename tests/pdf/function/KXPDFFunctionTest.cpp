// PDF functions: evaluation of each type at given inputs, and the objects the factory refuses.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "pdf/ObjectDoc.h"
#include "pdf/color/KXPDFColorSpaceCollection.h"
#include "pdf/function/KXPDFFunction.h"

using kx::test::ObjectDoc;

namespace {

struct EvalCase {
    const char* what;
    std::vector<double> in;
    std::vector<double> out;
};

void expectEvaluates(const KXPDFFunction& f, const std::vector<EvalCase>& cases, double tolerance = 1e-9) {
    for (const EvalCase& c : cases) {
        KXPDFFunction::Values in{}, out{};
        std::copy(c.in.begin(), c.in.end(), in.begin());
        f.transformInput(in, out);
        for (size_t j = 0; j < c.out.size(); ++j) EXPECT_NEAR(out[j], c.out[j], tolerance) << c.what << " output " << j;
    }
}

// A function from one dictionary (and stream data, for sampled and calculator functions).
std::shared_ptr<const KXPDFFunction> functionFrom(const std::string& dict, const std::string* data = nullptr) {
    ObjectDoc doc;
    int n = data ? doc.addStream(dict, *data) : doc.add("<< " + dict + " >>");
    return KXPDFFunction::FuntionWithObject(doc.get(n));
}

}  // namespace

TEST(KXPDFFunction, ExponentialFunctions) {
    struct Case { const char* dict; std::vector<EvalCase> evals; };
    const Case cases[] = {
        {"/FunctionType 2 /Domain [0 1] /N 1", {{"linear", {0.25}, {0.25}}, {"clamped to the domain", {-3}, {0}}}},
        {"/FunctionType 2 /Domain [0 1] /N 2", {{"squared", {0.25}, {0.0625}}}},
        {"/FunctionType 2 /Domain [0 1] /Range [0 0.5] /N 1", {{"clamped to the range", {1}, {0.5}}}},
        {"/FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1", {{"three outputs", {0.5}, {0.5, 0, 0.5}}}},
        {"/FunctionType 2.0 /Domain [0 1] /C0 [0 0 0 0] /C1 [1 0.5 0 0] /N 1",
         {{"a real FunctionType is truncated", {1}, {1, 0.5, 0, 0}}}},
    };
    for (const Case& c : cases) {
        auto f = functionFrom(c.dict);
        ASSERT_TRUE(f) << c.dict;
        EXPECT_EQ(f->getType(), 2);
        expectEvaluates(*f, c.evals);
    }
}

TEST(KXPDFFunction, StitchingFunctionPicksThePieceAndEncodesTheInput) {
    ObjectDoc doc;
    int first = doc.add("<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>");
    int second = doc.add("<< /FunctionType 2 /Domain [0 1] /C0 [10] /C1 [20] /N 1 >>");
    int stitch = doc.add("<< /FunctionType 3 /Domain [0 1] /Bounds [0.5] /Encode [0 1 0 1] /Functions [" +
                         std::to_string(first) + " 0 R " + std::to_string(second) + " 0 R] >>");
    auto f = KXPDFFunction::FuntionWithObject(doc.get(stitch));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->getType(), 3);
    EXPECT_EQ(f->n_output(), 1);
    expectEvaluates(*f, {
        {"first piece at 0.5", {0.25}, {0.5}},
        {"the bound itself belongs to the second piece, at 0", {0.5}, {10}},
        {"second piece at 0.5", {0.75}, {15}},
        {"above the domain: the end of the last piece", {7}, {20}},
    });
}

TEST(KXPDFFunction, SampledFunctionsInterpolateTheirTables) {
    struct Case { const char* what; std::string dict; std::string data; std::vector<EvalCase> evals; };
    const std::vector<Case> cases = {
        {"8 bits, one input", "/FunctionType 0 /Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8",
         kx::test::hexBytes("00FF"), {{"midway", {0.5}, {0.5}}, {"end", {1}, {1}}, {"below", {-1}, {0}}}},
        {"two inputs, bilinear", "/FunctionType 0 /Domain [0 1 0 1] /Range [0 1] /Size [2 2] /BitsPerSample 8",
         kx::test::hexBytes("00FFFFFF"), {{"centre", {0.5, 0.5}, {0.75}}, {"corner (1, 0)", {1, 0}, {1}}}},
        {"16 bits, three outputs",
         "/FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1] /Size [2] /BitsPerSample 16",
         kx::test::hexBytes("FFFF00000000" "0000FFFF0000"), {{"red to green", {0.5}, {0.5, 0.5, 0}}}},
        {"4 bits packed, Decode inverts",
         "/FunctionType 0 /Domain [0 1] /Range [0 1] /Decode [1 0] /Size [3] /BitsPerSample 4",
         kx::test::hexBytes("0F50"), {{"first sample 0 decodes to 1", {0}, {1}}, {"second 15 to 0", {0.5}, {0}},
                                      {"third 5 to 2/3", {1}, {1 - 5.0 / 15}}}},
        {"Encode picks the samples", "/FunctionType 0 /Domain [0 1] /Range [0 1] /Encode [1 1] /Size [2] /BitsPerSample 8",
         kx::test::hexBytes("00FF"), {{"always the second", {0}, {1}}}},
    };
    for (const Case& c : cases) {
        auto f = functionFrom(c.dict, &c.data);
        ASSERT_TRUE(f) << c.what;
        EXPECT_EQ(f->getType(), 0);
        expectEvaluates(*f, c.evals, 1e-6);
    }
}

TEST(KXPDFFunction, PostScriptCalculatorFunctionsAreEvaluated) {
    struct Case { const char* what; std::string domain, range, program; std::vector<EvalCase> evals; };
    const std::vector<Case> cases = {
        {"complement", "[0 1]", "[0 1]", "{ 1 exch sub }", {{"", {0.3}, {0.7}}}},
        {"tint to CMYK", "[0 1]", "[0 1 0 1 0 1 0 1]", "{ dup 0.2 mul exch 0 exch 0 exch }",
         {{"", {0.5}, {0.1, 0, 0, 0.5}}}},
        {"ifelse", "[0 1]", "[0 1]", "{ dup 0.5 gt { pop 1 } { 2 mul } ifelse }",
         {{"else branch", {0.25}, {0.5}}, {"then branch", {0.75}, {1}}}},
        {"if without else", "[0 1]", "[0 1]", "{ dup 0.5 lt { 0.5 add } if }", {{"taken", {0.25}, {0.75}}, {"not", {0.6}, {0.6}}}},
        {"nested conditions", "[0 1]", "[0 10]",
         "{ dup 0.5 lt { 0.25 lt { 1 } { 2 } ifelse } { pop 3 } ifelse }",
         {{"", {0.1}, {1}}, {"", {0.3}, {2}}, {"", {0.9}, {3}}}},
        {"roll, index and copy", "[0 1 0 1 0 1]", "[0 1 0 1 0 1]", "{ 3 1 roll }",
         {{"top goes to the bottom", {0.1, 0.2, 0.3}, {0.3, 0.1, 0.2}}}},
        {"index and copy", "[0 1 0 1]", "[0 1 0 1 0 1]", "{ 1 index 2 copy pop pop }",
         {{"", {0.1, 0.2}, {0.1, 0.2, 0.1}}}},
        {"too few results give zeros", "[0 1 0 1]", "[0 1 0 1 0 1 0 1]", "{ 1 index }",
         {{"", {0.1, 0.2}, {0, 0, 0, 0}}}},
        {"integers and conversions", "[0 1]", "[-100 100]", "{ 100 mul cvi 7 idiv 3 mod neg }",
         {{"75 idiv 7 = 10, mod 3 = 1", {0.75}, {-1}}}},
        {"trigonometry in degrees", "[0 360]", "[-1 1 0 360]", "{ dup sin exch 1 1 atan }",
         {{"", {90}, {1, 45}}}},
        {"booleans and bits", "[0 1]", "[0 100]", "{ pop 3 1 bitshift 1 or true false xor { 1 add } if }",
         {{"(3 << 1 | 1) + 1", {0}, {8}}}},
        {"comments and odd spacing", "[0 1]", "[0 1]", "{%comment\n 2\tdiv% more\r}", {{"", {1}, {0.5}}}},
        {"run-time error gives zeros in range", "[0 1]", "[0.2 1]", "{ pop pop }", {{"stack underflow", {0.5}, {0.2}}}},
        {"division by zero gives zeros", "[0 1]", "[0 1]", "{ 0 div }", {{"", {0.5}, {0}}}},
        {"results clamped to the range", "[0 1]", "[0 1]", "{ 5 mul }", {{"", {0.5}, {1}}}},
    };
    for (const Case& c : cases) {
        std::string dict = "/FunctionType 4 /Domain " + c.domain + " /Range " + c.range;
        auto f = functionFrom(dict, &c.program);
        ASSERT_TRUE(f) << c.what;
        EXPECT_EQ(f->getType(), 4);
        SCOPED_TRACE(c.what);
        // Reals of the file are single precision.
        expectEvaluates(*f, c.evals, 1e-6);
    }
}

TEST(KXPDFFunction, IdentityAndDomainLimits) {
    auto id = KXPDFFunction::FuntionWithObject(ObjectDoc::parse("/Identity"));
    ASSERT_TRUE(id);
    EXPECT_EQ(id->getType(), -1);
    EXPECT_EQ(id->m_input(), 32);
    expectEvaluates(*id, {{"copies", {0.1, 0.9}, {0.1, 0.9}}});
    EXPECT_FALSE(KXPDFFunction::FuntionWithObject(ObjectDoc::parse("/Other")));

    // 65 numbers of Domain give 32 inputs (the odd one is ignored); the calculator leaves them all on
    // the stack and the single output is the last input.
    std::string domain;
    for (int i = 0; i < 65; ++i) domain += i % 2 ? "1 " : "0 ";
    std::string program = "{ }";
    auto f = functionFrom("/FunctionType 4 /Domain [" + domain + "] /Range [0 1]", &program);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->m_input(), 32);
    KXPDFFunction::Values in{}, out{};
    in[31] = 0.4;
    f->transformInput(in, out);
    EXPECT_DOUBLE_EQ(out[0], 0.4);
}

TEST(KXPDFFunction, FactoryRefusesWhatItCannotParse) {
    std::string longDomain, longC0;
    for (int i = 0; i < 66; ++i) longDomain += "0 ";
    for (int i = 0; i < 33; ++i) longC0 += "0 ";
    struct Case { const char* what; std::string dict; std::string data; bool stream; };
    const std::vector<Case> cases = {
        {"FunctionType 1", "/FunctionType 1 /Domain [0 1]", "", false},
        {"no FunctionType", "/Domain [0 1] /N 1", "", false},
        {"exponential with two inputs", "/FunctionType 2 /Domain [0 1 0 1] /N 1", "", false},
        {"exponential without N", "/FunctionType 2 /Domain [0 1]", "", false},
        {"C0 longer than the output slots", "/FunctionType 2 /Domain [0 1] /N 1 /C0 [" + longC0 + "] /C1 [" + longC0 + "]", "", false},
        {"C1 of another length than C0", "/FunctionType 2 /Domain [0 1] /N 1 /C0 [0 0] /C1 [1]", "", false},
        {"Domain of 66 numbers", "/FunctionType 2 /Domain [" + longDomain + "] /N 1", "", false},
        {"a Domain entry that is not a number", "/FunctionType 2 /Domain [0 /One] /N 1", "", false},
        {"stitching with Bounds of the wrong length",
         "/FunctionType 3 /Domain [0 1] /Bounds [0.2 0.4] /Encode [0 1] /Functions [<< /FunctionType 2 /Domain [0 1] /N 1 >>]", "", false},
        {"stitching without functions", "/FunctionType 3 /Domain [0 1] /Bounds [] /Encode [] /Functions []", "", false},
        {"stitching over a broken function",
         "/FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] /Functions [<< /FunctionType 2 /Domain [0 1] >>]", "", false},
        {"sampled Size 0", "/FunctionType 0 /Domain [0 1] /Range [0 1] /Size [0] /BitsPerSample 8", "\xff", true},
        {"sampled Size negative", "/FunctionType 0 /Domain [0 1] /Range [0 1] /Size [-2] /BitsPerSample 8", "\xff", true},
        {"sampled table shorter than its Size", "/FunctionType 0 /Domain [0 1] /Range [0 1 0 1] /Size [4] /BitsPerSample 8",
         "\x01\x02\x03\x04\x05\x06\x07", true},
        {"sampled without Range", "/FunctionType 0 /Domain [0 1] /Size [2] /BitsPerSample 8", "\x00\xff", true},
        {"sampled BitsPerSample 0", "/FunctionType 0 /Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 0", "\x00\xff", true},
        {"sampled as a dictionary", "/FunctionType 0 /Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8", "", false},
        {"calculator with an unknown operator", "/FunctionType 4 /Domain [0 1] /Range [0 1]", "{ 1 frobnicate }", true},
        {"calculator without its closing brace", "/FunctionType 4 /Domain [0 1] /Range [0 1]", "{ 1 add", true},
        {"calculator procedure without if", "/FunctionType 4 /Domain [0 1] /Range [0 1]", "{ true { 1 } }", true},
        {"calculator text after the procedure", "/FunctionType 4 /Domain [0 1] /Range [0 1]", "{ 1 } 2", true},
        {"calculator without Range", "/FunctionType 4 /Domain [0 1]", "{ 1 }", true},
    };
    for (const Case& c : cases) {
        ObjectDoc doc;
        int n = c.stream ? doc.addStream(c.dict, c.data) : doc.add("<< " + c.dict + " >>");
        EXPECT_FALSE(KXPDFFunction::FuntionWithObject(doc.get(n))) << c.what;
    }
}

TEST(KXPDFFunction, StitchingThatContainsItselfOrNestsTooDeepIsRefused) {
    ObjectDoc doc;
    int self = doc.reserve();
    doc.set(self, "<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] /Functions [" + std::to_string(self) +
                      " 0 R] >>");
    EXPECT_FALSE(KXPDFFunction::FuntionWithObject(doc.get(self)));

    // A chain of 20 stitching functions over one exponential function.
    ObjectDoc chain;
    int inner = chain.add("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    int shallow = 0;
    for (int i = 0; i < 20; ++i) {
        inner = chain.add("<< /FunctionType 3 /Domain [0 1] /Bounds [] /Encode [0 1] /Functions [" +
                          std::to_string(inner) + " 0 R] >>");
        if (i == 2) shallow = inner;
    }
    EXPECT_FALSE(KXPDFFunction::FuntionWithObject(chain.get(inner)));
    auto ok = KXPDFFunction::FuntionWithObject(chain.get(shallow));
    ASSERT_TRUE(ok) << "a few levels are fine";
    expectEvaluates(*ok, {{"", {0.3}, {0.3}}});

    // Shared sub-functions cannot multiply the work: 12 levels of 1024 references to the level below.
    ObjectDoc wide;
    int level = wide.add("<< /FunctionType 2 /Domain [0 1] /N 1 >>");
    for (int i = 0; i < 12; ++i) {
        std::string refs, bounds, encode;
        for (int k = 0; k < 1024; ++k) {
            refs += std::to_string(level) + " 0 R ";
            if (k) bounds += std::to_string(k / 1024.0) + " ";
            encode += "0 1 ";
        }
        level = wide.add("<< /FunctionType 3 /Domain [0 1] /Bounds [" + bounds + "] /Encode [" + encode +
                         "] /Functions [" + refs + "] >>");
    }
    EXPECT_FALSE(KXPDFFunction::FuntionWithObject(wide.get(level)));
}

// Colour spaces and shadings name the same function object again and again; a thousand Separation
// spaces over one tint table of a million samples each built and held their own copy (42 s, 22 GB).
// A sampled or calculator function object is built once per document.
TEST(KXPDFFunction, AFunctionObjectIsBuiltOncePerDocument) {
    kx::test::PDFBuilder b;
    std::string table(4 * 4096, '\x40');
    int sampled = b.addStream("/FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Size [4096] "
                              "/BitsPerSample 8",
                              table);
    int twin = b.addStream("/FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Size [4096] "
                           "/BitsPerSample 8",
                           table);
    int calculator = b.addStream("/FunctionType 4 /Domain [0 1] /Range [0 1]", "{ 2 mul }");
    int broken = b.addStream("/FunctionType 0 /Domain [0 1] /Range [0 1] /Size [4096] /BitsPerSample 8", "short");
    std::string spaces;
    for (int i = 0; i < 1000; ++i)
        spaces += "/C" + std::to_string(i) + " [/Separation /S" + std::to_string(i) + " /DeviceCMYK " +
                  std::to_string(sampled) + " 0 R] ";
    int dict = b.add("<< " + spaces + ">>");
    b.addPage("", "<< >>");
    const std::string bytes = b.build();
    auto doc = kx::PDFDocument::openFromMemory(bytes), other = kx::PDFDocument::openFromMemory(bytes);
    ASSERT_TRUE(doc && other);

    auto first = KXPDFFunction::FuntionWithObject(doc->object(sampled));
    ASSERT_TRUE(first);
    EXPECT_EQ(KXPDFFunction::FuntionWithObject(doc->object(sampled)), first);
    EXPECT_NE(KXPDFFunction::FuntionWithObject(doc->object(twin)), first) << "another object, its own function";
    EXPECT_NE(KXPDFFunction::FuntionWithObject(other->object(sampled)), first) << "another document, its own";
    auto program = KXPDFFunction::FuntionWithObject(doc->object(calculator));
    ASSERT_TRUE(program);
    EXPECT_EQ(KXPDFFunction::FuntionWithObject(doc->object(calculator)), program);
    EXPECT_FALSE(KXPDFFunction::FuntionWithObject(doc->object(broken)));
    EXPECT_FALSE(KXPDFFunction::FuntionWithObject(doc->object(broken))) << "refused again";

    // A thousand spaces over the function: built once, in a moment.
    const auto start = std::chrono::steady_clock::now();
    KXPDFColorSpaceCollection collection(doc->object(dict));
    EXPECT_EQ(collection.colorSpaces().size(), 1000u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    expectEvaluates(*first, {{"a sample", {0.5}, {0x40 / 255.0, 0x40 / 255.0, 0x40 / 255.0, 0x40 / 255.0}}}, 1e-6);
}
