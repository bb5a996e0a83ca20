// Instruction emission with a small peephole pass over the instructions emitted since the
// last jump target: a pushed small constant folds into the following arithmetic or
// comparison-and-jump, element/field addressing folds into the following load, two
// variable loads pair up, and "x := x + k" / "x := x + y" become one instruction.
// Nothing fuses across a jump target, so every jump still lands on an instruction start.
#include <tuple>

#include "script/Parser.h"

namespace script {

namespace {

Op withConstant(Op op, int k) {
    switch (op) {
    case Op::ADD_I32: return Op::ADD_I32K;
    case Op::SUB_I32: return Op::SUB_I32K;
    case Op::MUL_I32: return Op::MUL_I32K;
    case Op::ADD_I: return Op::ADD_IK;
    case Op::SUB_I: return Op::SUB_IK;
    case Op::DIV_I32:
    case Op::DIV_I: return k != 0 && k != -1 ? Op::DIV_IK : Op::NOP;
    case Op::MOD_I32:
    case Op::MOD_I: return k != 0 && k != -1 ? Op::MOD_IK : Op::NOP;
    case Op::AND_I: return Op::AND_IK;
    case Op::OR_I: return Op::OR_IK;
    case Op::XOR_I: return Op::XOR_IK;
    case Op::SHL_I32: return Op::SHL_I32K;
    case Op::SHR_I32: return Op::SHR_I32K;
    default: return Op::NOP;
    }
}

// x op k with x a local or global variable: one instruction that pushes the result.
Op withVariable(Op op, bool local) {
    switch (op) {
    case Op::ADD_I32K: return local ? Op::ADDK_L : Op::ADDK_G;
    case Op::MUL_I32K: return local ? Op::MULK_L : Op::MULK_G;
    case Op::DIV_IK: return local ? Op::DIVK_L : Op::DIVK_G;
    case Op::MOD_IK: return local ? Op::MODK_L : Op::MODK_G;
    case Op::AND_IK: return local ? Op::ANDK_L : Op::ANDK_G;
    case Op::SHL_I32K: return local ? Op::SHLK_L : Op::SHLK_G;
    case Op::SHR_I32K: return local ? Op::SHRK_L : Op::SHRK_G;
    default: return Op::NOP;
    }
}

// top op x with x a local or global variable, and x op y with both variables.
struct VariableForms {
    Op op, local, global, locals, globals;
};
const VariableForms kVariableForms[] = {
    {Op::XOR_I, Op::XOR_L, Op::XOR_G, Op::XOR_LL, Op::XOR_GG},
    {Op::ADD_I32, Op::ADD32_L, Op::ADD32_G, Op::ADD32_LL, Op::ADD32_GG},
    {Op::SUB_I32, Op::SUB32_L, Op::SUB32_G, Op::SUB32_LL, Op::SUB32_GG},
    {Op::AND_I, Op::AND_L, Op::AND_G, Op::NOP, Op::NOP},
    {Op::OR_I, Op::OR_L, Op::OR_G, Op::NOP, Op::NOP},
};

int compareIndex(Op op) {
    switch (op) {
    case Op::EQ_I: return 0;
    case Op::NE_I: return 1;
    case Op::LT_I: return 2;
    case Op::LE_I: return 3;
    case Op::GT_I: return 4;
    case Op::GE_I: return 5;
    default: return -1;
    }
}

}  // namespace

int Parser::recent(int back, Op op) const {
    if (int(m_ops.size()) <= back) return -1;
    int at = m_ops[m_ops.size() - 1 - size_t(back)];
    const auto& c = *m_code;
    if (Op(c[size_t(at)]) != op) return -1;
    // the instruction must be complete and followed only by the newer recorded ones
    int end = back == 0 ? here() : m_ops[m_ops.size() - size_t(back)];
    return at + 1 + opInfo(op).operands == end ? at : -1;
}

void Parser::truncateCode(size_t size) {
    m_code->resize(size);
    // Positions recorded inside the removed code move to the fused instruction; the latest
    // one is the most specific (an index or an operator inside the statement).
    auto& lines = m_chunk->lines;
    bool moved = false;
    SourcePos latest;
    while (!lines.empty() && lines.back().first > size) {
        if (!moved) latest = lines.back().second;
        moved = true;
        lines.pop_back();
    }
    if (moved) {
        if (!lines.empty() && lines.back().first == size)
            lines.back().second = latest;
        else
            lines.push_back({uint32_t(size), latest});
    }
    while (!m_ops.empty() && m_ops.back() >= int(size)) m_ops.pop_back();
}

Parser::CodePiece Parser::cutCode(size_t from) {
    CodePiece p;
    p.code.assign(m_code->begin() + std::ptrdiff_t(from), m_code->end());
    auto& lines = m_chunk->lines;
    size_t keep = lines.size();
    while (keep > 0 && lines[keep - 1].first >= from) --keep;
    for (size_t i = keep; i < lines.size(); ++i)
        p.lines.push_back({uint32_t(lines[i].first - from), lines[i].second});
    lines.resize(keep);
    m_code->resize(from);
    m_ops.clear();
    return p;
}

namespace {

bool runsCode(Op op) {
    switch (op) {
    case Op::CALL:
    case Op::CALL_NATIVE:
    case Op::CALL_IND:
    case Op::CALL_METHOD:
    case Op::GET_PROP: return true;
    default: return false;
    }
}

}  // namespace

bool Parser::mayRunCode(size_t from) const {
    const auto& c = *m_code;
    for (size_t at = from; at < c.size(); at += 1 + size_t(opInfo(Op(c[at])).operands))
        if (runsCode(Op(c[at]))) return true;
    return false;
}

size_t Parser::afterLastCall(size_t from, size_t to) const {
    const auto& c = *m_code;
    size_t start = from;
    for (size_t at = from; at < to; at += 1 + size_t(opInfo(Op(c[at])).operands))
        if (runsCode(Op(c[at]))) start = at + 1 + size_t(opInfo(Op(c[at])).operands);
    return start;
}

void Parser::hoistValue(size_t from, size_t valueStart) {
    // '+' chains recorded inside the moved code no longer sit where they were
    std::erase_if(m_concats, [&](const std::pair<int, int>& c) { return c.first >= int(from); });
    CodePiece value = cutCode(valueStart);
    CodePiece address = cutCode(from);
    pasteCode(value);
    int t = allocTemp(nullptr);
    emit(Op::STORE_L, t);
    pasteCode(address);
    emit(Op::LOAD_L, t);
}

// s := s + a + b ...  becomes  a + b ...; APPEND s  when nothing on the right can change s
// (string concatenation is associative), so a string built in a loop grows in place
// instead of being copied on every step.
bool Parser::appendInPlace(const Operand& target, size_t rhsStart) {
    bool local = target.kind == Operand::Kind::Local;
    if ((!local && target.kind != Operand::Kind::Global) || target.type->kind != TypeKind::String)
        return false;
    auto& c = *m_code;
    Op load = local ? Op::LOAD_LM : Op::LOAD_GM;
    if (recent(0, Op::CONCAT_S) < 0 || c[rhsStart] != int32_t(load) || c[rhsStart + 1] != target.index)
        return false;
    auto rightOf = [&](int concat) {
        for (auto& [at, right] : m_concats)
            if (at == concat) return right;
        return -1;
    };
    // Walk the chain of '+' down its left operands to the one whose left side is s itself.
    int pos = here() - 1;
    int innermost = -1;
    for (;;) {
        int right = rightOf(pos);
        if (right < 0) return false;
        if (right == int(rhsStart) + 2) {
            innermost = pos;
            break;
        }
        if (right - 1 <= int(rhsStart) || c[size_t(right - 1)] != int32_t(Op::CONCAT_S)) return false;
        pos = right - 1;
    }
    for (size_t at = rhsStart + 2; at < c.size(); at += 1 + size_t(opInfo(Op(c[at])).operands)) {
        Op op = Op(c[at]);
        if (((op == Op::ADDR_L && local) || (op == Op::ADDR_G && !local)) && c[at + 1] == target.index)
            return false;
        if (op == Op::CALL || op == Op::CALL_IND || op == Op::CALL_METHOD || op == Op::GET_PROP) return false;
    }
    CodePiece after = cutCode(size_t(innermost) + 1);
    truncateCode(size_t(innermost));
    pasteCode(after);
    CodePiece rest = cutCode(rhsStart + 2);
    truncateCode(rhsStart);
    pasteCode(rest);
    emit(local ? Op::APPEND_L : Op::APPEND_G, target.index);
    return true;
}

void Parser::pasteCode(const CodePiece& piece) {
    uint32_t base = uint32_t(label());
    auto& lines = m_chunk->lines;
    for (auto& [off, pos] : piece.lines) {
        if (!lines.empty() && lines.back().first == base + off)
            lines.back().second = pos;
        else
            lines.push_back({base + off, pos});
    }
    m_code->insert(m_code->end(), piece.code.begin(), piece.code.end());
    for (size_t at = base; at < m_code->size(); at += 1 + size_t(opInfo(Op((*m_code)[at])).operands))
        m_ops.push_back(int(at));
}

void Parser::emit(Op op) {
    auto& c = *m_code;
    if (int at = recent(0, Op::PUSH_INT); at >= 0) {
        int k = operandOf(at, 0);
        Op fused = withConstant(op, k);
        if (fused != Op::NOP) {
            truncateCode(size_t(at));
            if (fused == Op::SUB_I32K && k != INT32_MIN) {
                fused = Op::ADD_I32K;
                k = -k;
            }
            int local = recent(0, Op::LOAD_L), global = recent(0, Op::LOAD_G);
            Op withVar = withVariable(fused, local >= 0);
            if ((local >= 0 || global >= 0) && withVar != Op::NOP) {
                int load = local >= 0 ? local : global;
                int n = operandOf(load, 0);
                truncateCode(size_t(load));
                emit(withVar, n, k);
                return;
            }
            emit(fused);
            c.push_back(k);
            return;
        }
    }
    for (const VariableForms& f : kVariableForms) {
        if (f.op != op) continue;
        if (int at = recent(0, Op::LOAD_L); at >= 0) {
            int n = operandOf(at, 0);
            truncateCode(size_t(at));
            emit(f.local, n);
            return;
        }
        if (int at = recent(0, Op::LOAD_G); at >= 0) {
            int n = operandOf(at, 0);
            truncateCode(size_t(at));
            emit(f.global, n);
            return;
        }
        for (auto [pair, fused] : {std::pair{Op::LOAD_LL, f.locals}, std::pair{Op::LOAD_GG, f.globals}}) {
            int at = recent(0, pair);
            if (at < 0 || fused == Op::NOP) continue;
            int a = operandOf(at, 0), b = operandOf(at, 1);
            truncateCode(size_t(at));
            emit(fused, a, b);
            return;
        }
    }
    if (op == Op::DYN_INDEX_ADDR) {
        // array variable and index variable in one instruction
        struct Shape {
            Op first, second, fused;
        };
        for (Shape sh : {Shape{Op::ADDR_G, Op::LOAD_G, Op::DYN_ADDR_GG},
                         Shape{Op::ADDR_L, Op::LOAD_L, Op::DYN_ADDR_LL}}) {
            int ix = recent(0, sh.second), ar = recent(1, sh.first);
            if (ix >= 0 && ar >= 0) {
                int a = operandOf(ar, 0), i = operandOf(ix, 0);
                truncateCode(size_t(ar));
                emit(sh.fused, a, i);
                return;
            }
        }
        if (int at = recent(0, Op::LOAD_LL); at >= 0) {
            c[size_t(at)] = int32_t(Op::DYN_ADDR_RL);
            return;
        }
    }
    if (op == Op::STORE_I) {
        if (int at = recent(0, Op::PUSH_INT); at >= 0) {
            c[size_t(at)] = int32_t(Op::STORE_IK);
            return;
        }
    }
    if (op == Op::LOAD_I) {
        for (auto [addr, load] :
             {std::pair{Op::DYN_INDEX_ADDR, Op::DYN_LOAD}, std::pair{Op::INDEX_ADDR, Op::INDEX_LOAD},
              std::pair{Op::FIELD_ADDR, Op::FIELD_LOAD}, std::pair{Op::DYN_ADDR_GG, Op::DYN_LOAD_GG},
              std::pair{Op::DYN_ADDR_LL, Op::DYN_LOAD_LL}, std::pair{Op::DYN_ADDR_RL, Op::DYN_LOAD_RL},
              std::pair{Op::INDEX_ADDR_GG, Op::INDEX_LOAD_GG},
              std::pair{Op::INDEX_ADDR_LL, Op::INDEX_LOAD_LL}, std::pair{Op::FIELD_ADDR2, Op::FIELD_LOAD2},
              std::pair{Op::LOAD_L, Op::LOAD_REF}}) {
            if (int at = recent(0, addr); at >= 0) {
                c[size_t(at)] = int32_t(load);
                return;
            }
        }
    }
    m_ops.push_back(here());
    if (m_ops.size() > 8) m_ops.erase(m_ops.begin());
    c.push_back(int32_t(op));
}

void Parser::emit(Op op, int a) {
    auto& c = *m_code;
    // What the script calls (or takes with @) must be bound when it loads; the rest need not.
    if (op == Op::CALL_NATIVE || op == Op::CALL_METHOD)
        m_chunk->natives[size_t(a)].used = true;
    else if (op == Op::CALL)
        m_chunk->procs[size_t(a)].called = true;
    else if (op == Op::PROC_REF)
        a > 0 ? void(m_chunk->procs[size_t(a - 1)].called = true)
              : void(m_chunk->natives[size_t(-a - 1)].used = true);
    if (op == Op::INDEX_ADDR) {
        // static array variable and index variable in one instruction
        for (auto [arrOp, idxOp, fused] : {std::tuple{Op::ADDR_G, Op::LOAD_G, Op::INDEX_ADDR_GG},
                                           std::tuple{Op::ADDR_L, Op::LOAD_L, Op::INDEX_ADDR_LL}}) {
            int ix = recent(0, idxOp), ar = recent(1, arrOp);
            if (ix >= 0 && ar >= 0) {
                int arr = operandOf(ar, 0), i = operandOf(ix, 0);
                truncateCode(size_t(ar));
                emit(fused, a, arr);
                c.push_back(i);
                return;
            }
        }
    }
    // a second variable load pairs with the first
    if (op == Op::LOAD_L || op == Op::LOAD_G) {
        if (int at = recent(0, op); at >= 0) {
            c[size_t(at)] = int32_t(op == Op::LOAD_L ? Op::LOAD_LL : Op::LOAD_GG);
            c.push_back(a);
            return;
        }
    }
    // x := x + k  and  x := x + y
    if (op == Op::STORE_L || op == Op::STORE_G) {
        Op load = op == Op::STORE_L ? Op::LOAD_L : Op::LOAD_G;
        if (int ad = recent(0, op == Op::STORE_L ? Op::ADDK_L : Op::ADDK_G);
            ad >= 0 && operandOf(ad, 0) == a) {
            int k = operandOf(ad, 1);
            truncateCode(size_t(ad));
            emit(op == Op::STORE_L ? Op::INC_L32 : Op::INC_G32, a, k);
            return;
        }
        for (Op add : {Op::ADD_IK, Op::SUB_IK}) {
            int ad = recent(0, add);
            int ld = recent(1, load);
            if (ad >= 0 && ld >= 0 && operandOf(ld, 0) == a) {
                int k = operandOf(ad, 0);
                bool sub = add == Op::SUB_IK;
                if (sub && k == INT32_MIN) break;
                truncateCode(size_t(ld));
                emit(op == Op::STORE_L ? Op::INC_L : Op::INC_G, a, sub ? -k : k);
                return;
            }
        }
        if (int ad = recent(0, op == Op::STORE_L ? Op::ADD32_LL : Op::ADD32_GG);
            ad >= 0 && operandOf(ad, 0) == a) {
            int b = operandOf(ad, 1);
            truncateCode(size_t(ad));
            emit(op == Op::STORE_L ? Op::ADDTO_L32 : Op::ADDTO_G32, a, b);
            return;
        }
    }
    emit(op);
    c.push_back(a);
}

void Parser::emit(Op op, int a, int b) {
    emit(op, a);
    m_code->push_back(b);
    // two field selections in a row: r.Inner.X
    if (op == Op::FIELD_ADDR) {
        int first = recent(1, Op::FIELD_ADDR);
        if (first >= 0) {
            int t = operandOf(first, 0), f = operandOf(first, 1);
            truncateCode(size_t(first));
            emit(Op::FIELD_ADDR2, t, f);
            m_code->push_back(a);
            m_code->push_back(b);
        }
    }
}

int Parser::emitJump(Op op) {
    int cmp = -1, compareAt = -1;
    for (Op k : {Op::EQ_I, Op::NE_I, Op::LT_I, Op::LE_I, Op::GT_I, Op::GE_I}) {
        if ((compareAt = recent(0, k)) >= 0) {
            cmp = compareIndex(k);
            break;
        }
    }
    if ((op == Op::JF || op == Op::JT) && cmp >= 0) {
        static const int inverse[] = {1, 0, 5, 4, 3, 2};
        if (op == Op::JT) cmp = inverse[cmp];
        static const Op jf[] = {Op::JF_EQ, Op::JF_NE, Op::JF_LT, Op::JF_LE, Op::JF_GT, Op::JF_GE};
        static const Op jfk[] = {Op::JFK_EQ, Op::JFK_NE, Op::JFK_LT, Op::JFK_LE, Op::JFK_GT, Op::JFK_GE};
        if (int at = recent(1, Op::PUSH_INT); at >= 0) {
            static const Op jfkLocal[] = {Op::JFK_EQ_L, Op::JFK_NE_L, Op::JFK_LT_L,
                                          Op::JFK_LE_L, Op::JFK_GT_L, Op::JFK_GE_L};
            static const Op jfkGlobal[] = {Op::JFK_EQ_G, Op::JFK_NE_G, Op::JFK_LT_G,
                                           Op::JFK_LE_G, Op::JFK_GT_G, Op::JFK_GE_G};
            int k = operandOf(at, 0);
            int local = recent(2, Op::LOAD_L), global = recent(2, Op::LOAD_G);
            if (local >= 0 || global >= 0) {
                // a variable compared with a constant: one instruction
                int load = local >= 0 ? local : global;
                int n = operandOf(load, 0);
                truncateCode(size_t(load));
                emit(local >= 0 ? jfkLocal[cmp] : jfkGlobal[cmp], n, k);
                m_code->push_back(0);
                return here() - 1;
            }
            truncateCode(size_t(at));
            emit(jfk[cmp], k, 0);
        } else {
            truncateCode(size_t(compareAt));
            emit(jf[cmp], 0);
        }
        return here() - 1;
    }
    emit(op, 0);
    return here() - 1;
}

}  // namespace script
