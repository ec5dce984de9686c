// A component's CodeModule, the same members in VB6 and in the VBA editor.
#include "host/com/Adapter.h"

namespace tolvane::host::com {
namespace {

namespace code = ide::codemodule;
using winapi::VariantOfLong;
using winapi::VariantOfText;

class CodeModuleImpl final : public AdapterOf<CodeModule, IdeInterface::CodeModule> {
public:
    using AdapterOf::AdapterOf;
    int CountOfLines() override { return ReadInt32(code::kCountOfLines); }
    int CountOfDeclarationLines() override { return ReadInt32(code::kCountOfDeclarationLines); }
    std::string Lines(int start, int count) override {
        UniqueVariant first = VariantOfLong(start), lines = VariantOfLong(count);
        return AsText(*Read(code::kLines, {&first, &lines}).get());
    }
    int ProcStartLine(const std::string& name) override { return ProcedureLine(code::kProcStartLine, name); }
    int ProcBodyLine(const std::string& name) override { return ProcedureLine(code::kProcBodyLine, name); }
    int ProcCountLines(const std::string& name) override { return ProcedureLine(code::kProcCountLines, name); }
    int CreateEventProc(const std::string& event, const std::string& object) override {
        UniqueVariant eventName = VariantOfText(event), objectName = VariantOfText(object);
        return AsInt32(*Invoke(code::kCreateEventProc, DISPATCH_METHOD, {&eventName, &objectName}).get());
    }
    void InsertLines(int line, const std::string& text) override {
        UniqueVariant at = VariantOfLong(line), lines = VariantOfText(text);
        Invoke(code::kInsertLines, DISPATCH_METHOD, {&at, &lines});
    }
    void DeleteLines(int start, int count) override {
        UniqueVariant first = VariantOfLong(start), lines = VariantOfLong(count);
        Invoke(code::kDeleteLines, DISPATCH_METHOD, {&first, &lines});
    }

private:
    // A Proc... property of a Sub or Function (vbext_pk_Proc).
    int ProcedureLine(const ide::Member& member, const std::string& name) {
        UniqueVariant procedure = VariantOfText(name), kind = VariantOfLong(code::kProcKindProc);
        return AsInt32(*Read(member, {&procedure, &kind}).get());
    }
};

}  // namespace

std::shared_ptr<CodeModule> CodeModuleOf(ComPtr<IDispatch> module, Cache cache) {
    return std::make_shared<CodeModuleImpl>(std::move(module), std::move(cache));
}

}  // namespace tolvane::host::com
