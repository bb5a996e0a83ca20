// Instruction emission with a small peephole pass: a pushed small constant folds into the
// following arithmetic, an integer comparison folds into the following conditional jump,
// and element/field addressing folds into the following load. Nothing fuses across a jump
// target, so every jump still lands on an instruction boundary.
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
    default: return Op::NOP;
    }
}

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

bool Parser::lastOpIs(Op op) const {
    if (m_lastOp < 0 || m_lastOp == m_lastTarget) return false;
    const auto& c = *m_code;
    Op last = Op(c[size_t(m_lastOp)]);
    return last == op && m_lastOp + 1 + opInfo(last).operands == here();
}

void Parser::truncateCode(size_t size) {
    m_code->resize(size);
    auto& lines = m_chunk->lines;
    while (!lines.empty() && lines.back().first > size) {
        SourcePos p = lines.back().second;
        lines.pop_back();
        if (lines.empty() || lines.back().first < size) lines.push_back({uint32_t(size), p});
    }
    if (int(size) == m_lastOp) {
        m_lastOp = m_prevOp;
    } else if (int(size) < m_lastOp) {
        m_lastOp = -1;
    }
    m_prevOp = -1;
    if (m_lastOp >= int(size)) m_lastOp = -1;
}

void Parser::emit(Op op) {
    auto& c = *m_code;
    if (lastOpIs(Op::PUSH_INT)) {
        int k = c[size_t(m_lastOp + 1)];
        Op fused = withConstant(op, k);
        if (fused != Op::NOP) {
            truncateCode(size_t(m_lastOp));
            emit(fused);
            c.push_back(k);
            return;
        }
    }
    if (op == Op::LOAD_I) {
        for (auto [addr, load] : {std::pair{Op::DYN_INDEX_ADDR, Op::DYN_LOAD}, std::pair{Op::INDEX_ADDR, Op::INDEX_LOAD},
                                  std::pair{Op::FIELD_ADDR, Op::FIELD_LOAD}}) {
            if (lastOpIs(addr)) {
                c[size_t(m_lastOp)] = int32_t(load);
                return;
            }
        }
    }
    m_prevOp = m_lastOp;
    m_lastOp = here();
    c.push_back(int32_t(op));
}

int Parser::emitJump(Op op) {
    auto& c = *m_code;
    int cmp = m_lastOp >= 0 && m_lastOp + 1 == here() && m_lastOp != m_lastTarget
                  ? compareIndex(Op(c[size_t(m_lastOp)]))
                  : -1;
    if ((op == Op::JF || op == Op::JT) && cmp >= 0) {
        static const int inverse[] = {1, 0, 5, 4, 3, 2};
        if (op == Op::JT) cmp = inverse[cmp];
        static const Op jf[] = {Op::JF_EQ, Op::JF_NE, Op::JF_LT, Op::JF_LE, Op::JF_GT, Op::JF_GE};
        static const Op jfk[] = {Op::JFK_EQ, Op::JFK_NE, Op::JFK_LT, Op::JFK_LE, Op::JFK_GT, Op::JFK_GE};
        int compareAt = m_lastOp;
        bool constant = m_prevOp >= 0 && m_prevOp + 2 == compareAt && m_prevOp != m_lastTarget &&
                        compareAt != m_lastTarget && Op(c[size_t(m_prevOp)]) == Op::PUSH_INT;
        if (constant) {
            int k = c[size_t(m_prevOp + 1)];
            truncateCode(size_t(m_prevOp));
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
