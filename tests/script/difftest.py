#!/usr/bin/env python3
"""Differential test of the script engine against Free Pascal.

Generates random programs in the part of the language the dialect shares with Free Pascal,
runs each with pscript and as a native program built by fpc from the same source, and
compares the output. A mismatch, a crash or a sanitizer report is a finding: the program
is kept (reduced to fewer statements unless --no-reduce) in the findings folder.

The generator stays clear of the known differences between the two: no integer '/', no
value that could overflow 32 bits (the dialect wraps by the left operand's type, Free
Pascal computes in 64 bits), no Boolean operand with an effect (the dialect evaluates both
sides), for-loop bounds that the body cannot change (the dialect re-reads them), routines
with effects only where the order of evaluation is fixed (a whole right side, an index,
a call statement), and no dynamic array resized while an element of it is in use.

Usage: difftest.py PSCRIPT [--seed N] [--count N | --seconds S] [--findings DIR]
                           [--no-reduce] [--print] [--jobs N]
Exit code 0 when every program agreed, 1 on findings, 2 on bad usage or no fpc."""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PRELUDE = os.path.normpath(os.path.join(HERE, "..", "..", "bench", "script"))

VAR_BOUND = 40000  # |value| of any Integer variable: assignments reduce mod 30011, Inc drifts a little
LIMIT = 1 << 30  # no intermediate value may exceed this
MODULUS = 30011
LEN = 4  # static arrays have four elements; indices are masked with "and 3"


class Scope:
    """The names a statement may use, by kind."""

    def __init__(self):
        self.ints = []  # readable and writable Integer variables
        self.loop_ints = []  # free loop counters (locals of the routine)
        self.strs = []
        self.inners = []  # TInner variables (readable, writable)
        self.outers = []
        self.bools = []
        self.ro_ints = []  # readable only (for-loop counters)
        self.in_with = []  # with-targets whose fields are visible unqualified
        self.pure = False  # no writes outside the routine's own variables, no output, no effects
        self.in_loop = False  # Break and Continue allowed
        self.routine = False  # Exit allowed

    def copy(self):
        c = Scope.__new__(Scope)
        c.__dict__ = {k: (list(v) if isinstance(v, list) else v) for k, v in self.__dict__.items()}
        return c


class Program:
    def __init__(self, rng):
        self.r = rng
        self.lo = rng.choice([0, 1, -1])  # low bound of the static arrays
        self.routines = []  # (kind, name, text); kinds: pure, effect, effectf, varp, varr, rec
        self.lines = []
        self.label_no = 0

    # ---------------------------------------------------------------- names

    def idx(self, e):
        return f"{self.lo} + (({e}) and 3)" if self.lo else f"({e}) and 3"

    # ---------------------------------------------------------------- integers

    def int_leaf(self, sc):
        r = self.r
        opts = ["lit", "lit"]
        if sc.ints or sc.ro_ints:
            opts += ["var"] * 4
        if sc.inners:
            opts += ["ifield", "iarr"]
        if sc.outers:
            opts += ["ofield"]
        if sc.in_with:
            opts += ["withfield"]
        opts += ["garr", "gdyn", "gdynrec", "grid"]
        k = r.choice(opts)
        if k == "lit":
            v = r.randint(-60, 120)
            return (f"({v})" if v < 0 else str(v)), abs(v)
        if k == "var":
            return r.choice(sc.ints + sc.ro_ints), VAR_BOUND
        if k == "ifield":
            return f"{r.choice(sc.inners)}.FN", VAR_BOUND
        if k == "iarr":
            return f"{r.choice(sc.inners)}.FA[{self.idx(self.small(sc))}]", VAR_BOUND
        if k == "ofield":
            o = r.choice(sc.outers)
            return r.choice([f"{o}.FK", f"{o}.FR.FN", f"{o}.FB[{self.idx(self.small(sc))}].FA[{self.idx(self.small(sc))}]"]), VAR_BOUND
        if k == "withfield":
            return r.choice(["FN", f"FA[{self.idx(self.small(sc))}]"]), VAR_BOUND
        if k == "garr":
            return f"GArr[{self.idx(self.small(sc))}].FN", VAR_BOUND
        if k == "gdyn":
            return f"GDyn[Abs({self.small(sc)}) mod Length(GDyn)]", VAR_BOUND
        if k == "gdynrec":
            return f"GRecs[Abs({self.small(sc)}) mod Length(GRecs)].FA[{self.idx(self.small(sc))}]", VAR_BOUND
        return f"GGrid[{self.idx(self.small(sc))}][{self.idx(self.small(sc))}]", VAR_BOUND

    def small(self, sc):
        """An index-sized expression without calls."""
        if self.r.random() < 0.5 or not sc.ints:
            return str(self.r.randint(0, 9))
        return self.r.choice(sc.ints)

    def int_expr(self, sc, depth=0):
        """Returns (text, bound)."""
        r = self.r
        if depth >= 3 or r.random() < 0.3:
            return self.int_leaf(sc)
        k = r.choice(["add", "add", "sub", "mul", "div", "mod", "bit", "shl", "shr", "neg", "abs", "ord",
                      "len", "pure", "pure", "pos", "high"])
        if k in ("add", "sub"):
            a, ba = self.int_expr(sc, depth + 1)
            b, bb = self.int_expr(sc, depth + 1)
            t, bt = f"({a} {'+' if k == 'add' else '-'} {b})", ba + bb
        elif k == "mul":
            a, ba = self.int_expr(sc, depth + 1)
            b, bb = self.int_expr(sc, depth + 1)
            if ba * bb > LIMIT:
                a, ba = f"(({a}) mod 1000)", 999
                b, bb = f"(({b}) mod 1000)", 999
            t, bt = f"({a} * {b})", ba * bb
        elif k in ("div", "mod"):
            a, ba = self.int_expr(sc, depth + 1)
            b, _ = self.int_expr(sc, depth + 1)
            d = f"(({b}) mod 7 + 8)"  # 2..14, never zero
            t, bt = (f"({a} div {d})", ba // 2) if k == "div" else (f"({a} mod {d})", min(ba, 13))
        elif k == "bit":
            a, ba = self.int_expr(sc, depth + 1)
            b, bb = self.int_expr(sc, depth + 1)
            op = r.choice(["and", "or", "xor"])
            t, bt = f"({a} {op} {b})", 1 << max(ba, bb, 1).bit_length()
        elif k == "shl":
            a, _ = self.int_expr(sc, depth + 1)
            n = r.randint(0, 7)
            t, bt = f"(({a} and 255) shl {n})", 255 << n
        elif k == "shr":
            a, _ = self.int_expr(sc, depth + 1)
            n = r.randint(0, 9)
            t, bt = f"(({a} and 65535) shr {n})", 65535 >> n
        elif k == "neg":
            a, ba = self.int_expr(sc, depth + 1)
            t, bt = f"(-{a})", ba
        elif k == "abs":
            a, ba = self.int_expr(sc, depth + 1)
            t, bt = f"Abs(Integer({a}))", ba  # the cast picks Free Pascal's overload
        elif k == "ord":
            t, bt = f"Ord({self.char_expr(sc, depth + 1)})", 255
        elif k == "len":
            # Free Pascal's Length and Pos are 64-bit there; mixed with 32-bit operands its
            # arithmetic can go unsigned, so they are cast like any Integer
            t, bt = f"Integer(Length({self.str_expr(sc, depth + 1)}))", 200
        elif k == "pos":
            # string() picks one of Free Pascal's overloads when both arguments are literals
            t, bt = f"Integer(Pos(string({self.str_expr(sc, depth + 1)}), string({self.str_expr(sc, depth + 1)})))", 200
        elif k == "high":
            t, bt = r.choice(["High(GArr)", "Low(GArr)", "Integer(Length(GDyn))", "Integer(High(GRecs))",
                              "Integer(Length(GNames))"]), 64
        else:
            t, bt = self.pure_call(sc, depth), MODULUS
        if bt > LIMIT:
            return f"(({t}) mod {MODULUS})", MODULUS
        return t, bt

    def pure_call(self, sc, depth):
        r = self.r
        names = [n for kind, n, _ in self.routines if kind in ("pure", "rec")]
        if not names:
            return str(r.randint(0, 9))
        name = r.choice(names)
        kind = next(k for k, n, _ in self.routines if n == name)
        if kind == "rec":
            return f"{name}({self.int_expr(sc, depth + 1)[0]} and 7)"
        a = self.int_expr(sc, depth + 1)[0]
        rec = self.inner_value(sc, depth + 1)
        return f"{name}({a}, {rec}, {self.str_expr(sc, depth + 1)})"

    def routine_names(self, kind):
        return [n for k, n, _ in self.routines if k == kind]

    # ---------------------------------------------------------------- other types

    def inner_value(self, sc, depth):
        """A TInner value."""
        opts = list(sc.inners) + ["GArr[%s]" % self.idx(self.small(sc)),
                                  "GRecs[Abs(%s) mod Length(GRecs)]" % self.small(sc)]
        opts += [f"{o}.FR" for o in sc.outers] + [f"{o}.FB[{self.idx(self.small(sc))}]" for o in sc.outers]
        if self.routine_names("maker") and depth < 3 and self.r.random() < 0.3:
            return f"{self.r.choice(self.routine_names('maker'))}({self.int_expr(sc, depth + 1)[0]})"
        return self.r.choice(opts)

    def char_expr(self, sc, depth=0):
        r = self.r
        k = r.choice(["lit", "chr", "index", "field"])
        if k == "lit":
            return "'" + r.choice("abcxyzQRS019 ") + "'"
        if k == "chr":
            return f"Chr(65 + (({self.int_expr(sc, depth + 1)[0]}) and 31))"
        if k == "index" and sc.strs:
            s = r.choice(sc.strs)
            return f"{s}[1 + Abs({self.small(sc)}) mod Length({s})]"
        return f"GNames[Abs({self.small(sc)}) mod Length(GNames)][1]"

    def str_expr(self, sc, depth=0):
        r = self.r
        if depth >= 3 or r.random() < 0.35:
            opts = ["lit", "int"]
            if sc.strs:
                opts += ["var"] * 3
            if sc.inners:
                opts.append("field")
            opts.append("names")
            k = r.choice(opts)
            if k == "lit":
                return "'" + "".join(r.choice("abcdefXYZ 0123-") for _ in range(r.randint(0, 5))) + "'"
            if k == "int":
                return f"IntToStr({self.int_expr(sc, depth + 1)[0]})"
            if k == "var":
                return r.choice(sc.strs)
            if k == "field":
                return f"{r.choice(sc.inners)}.FS"
            return f"GNames[Abs({self.small(sc)}) mod Length(GNames)]"
        k = r.choice(["cat", "cat", "copy", "upper", "lower", "char", "rep"])
        if k == "cat":
            return f"Copy({self.str_expr(sc, depth + 1)} + {self.str_expr(sc, depth + 1)}, 1, 24)"
        if k == "copy":
            return f"Copy({self.str_expr(sc, depth + 1)}, 1 + Abs({self.small(sc)}) mod 5, Abs({self.small(sc)}) mod 7)"
        if k == "upper":
            return f"UpperCase({self.str_expr(sc, depth + 1)})"
        if k == "lower":
            return f"LowerCase({self.str_expr(sc, depth + 1)})"
        if k == "char":
            return f"({self.str_expr(sc, depth + 1)} + {self.char_expr(sc, depth + 1)})"
        return f"StringOfChar({self.char_expr(sc, depth + 1)}, Abs({self.small(sc)}) mod 4)"

    def bool_expr(self, sc, depth=0):
        r = self.r
        if depth >= 2 or r.random() < 0.4:
            k = r.choice(["icmp", "icmp", "scmp", "ccmp", "in", "var", "odd", "set"])
            if k == "icmp" or (k == "var" and not sc.bools):
                op = r.choice(["=", "<>", "<", "<=", ">", ">="])
                return f"({self.int_expr(sc, depth + 1)[0]} {op} {self.int_expr(sc, depth + 1)[0]})"
            if k == "scmp":
                op = r.choice(["=", "<>", "<", ">"])
                return f"({self.str_expr(sc, depth + 1)} {op} {self.str_expr(sc, depth + 1)})"
            if k == "ccmp":
                return f"({self.char_expr(sc, depth + 1)} {r.choice(['=', '<', '>='])} {self.char_expr(sc, depth + 1)})"
            if k == "in":
                return f"(Integer({self.int_expr(sc, depth + 1)[0]}) and 15 in [1, 3, 5..9, 12])"
            if k == "odd":
                return f"(({self.int_expr(sc, depth + 1)[0]}) mod 2 = 0)"
            if k == "set":
                return f"(Integer({self.int_expr(sc, depth + 1)[0]}) and 63 in GSet)"
            return r.choice(sc.bools)
        k = r.choice(["and", "or", "xor", "not"])
        if k == "not":
            return f"(not {self.bool_expr(sc, depth + 1)})"
        return f"({self.bool_expr(sc, depth + 1)} {k} {self.bool_expr(sc, depth + 1)})"

    # ---------------------------------------------------------------- statements

    def reduce(self, e, bound):
        return e if bound < MODULUS else f"({e}) mod {MODULUS}"

    def int_target(self, sc):
        r = self.r
        opts = []
        if sc.ints:
            opts += ["var"] * 3
        if sc.inners:
            opts += ["ifield", "iarr"]
        if sc.outers:
            opts += ["ofield"]
        if sc.in_with:
            opts += ["with"]
        if not sc.pure:
            opts += ["garr", "gdyn", "gdynrec", "grid"]
        k = r.choice(opts)
        if k == "var":
            return r.choice(sc.ints)
        if k == "ifield":
            return f"{r.choice(sc.inners)}.FN"
        if k == "iarr":
            return f"{r.choice(sc.inners)}.FA[{self.idx(self.small(sc))}]"
        if k == "ofield":
            o = r.choice(sc.outers)
            return r.choice([f"{o}.FK", f"{o}.FR.FA[{self.idx(self.small(sc))}]",
                             f"{o}.FB[{self.idx(self.small(sc))}].FN"])
        if k == "with":
            return r.choice(["FN", f"FA[{self.idx(self.small(sc))}]"])
        if k == "garr":
            return f"GArr[{self.idx(self.small(sc))}].FA[{self.idx(self.small(sc))}]"
        if k == "gdyn":
            return f"GDyn[Abs({self.small(sc)}) mod Length(GDyn)]"
        if k == "gdynrec":
            return f"GRecs[Abs({self.small(sc)}) mod Length(GRecs)].FN"
        return f"GGrid[{self.idx(self.small(sc))}][{self.idx(self.small(sc))}]"

    def str_target(self, sc):
        opts = list(sc.strs) + [f"{i}.FS" for i in sc.inners]
        if not sc.pure:
            opts.append("GNames[Abs(%s) mod Length(GNames)]" % self.small(sc))
        if sc.in_with:
            opts.append("FS")
        return self.r.choice(opts)

    def inner_target(self, sc):
        opts = list(sc.inners) + [f"{o}.FR" for o in sc.outers]
        if not sc.pure:
            opts.append("GArr[%s]" % self.idx(self.small(sc)))
        opts += [f"{o}.FB[{self.idx(self.small(sc))}]" for o in sc.outers]
        return self.r.choice(opts)

    def statement(self, sc, depth, out, ind, in_routine):
        r = self.r
        p = " " * ind
        kinds = ["iassign"] * 6 + ["sassign"] * 2 + ["rassign", "inc"]
        if sc.strs:
            kinds.append("chassign")
        if depth < 3:
            kinds += ["if", "if", "case", "with", "block", "try"]
            if sc.loop_ints:
                kinds += ["for", "for", "while", "repeat"]
        if not sc.pure:
            kinds += ["print", "print", "sum"]
            if self.routine_names("effect"):
                kinds += ["call"] * 2
            if self.routine_names("varp") or self.routine_names("varr"):
                kinds += ["varcall"] * 2
            if self.routine_names("effectf"):
                kinds += ["effidx", "effassign", "effprint"]
            if not in_routine and not sc.in_with:
                kinds += ["resize"]
            kinds += ["set"]
            if self.routine_names("vars"):
                kinds += ["strcall"]
        if sc.in_loop:
            kinds += ["break", "continue"]
        if sc.routine and depth > 1:
            kinds += ["exit"]
        k = r.choice(kinds)
        if k == "iassign":
            e, b = self.int_expr(sc)
            out.append(f"{p}{self.int_target(sc)} := {self.reduce(e, b)};")
        elif k == "sassign":
            out.append(f"{p}{self.str_target(sc)} := Copy({self.str_expr(sc)} + '.', 1, 20);")
        elif k == "rassign":
            out.append(f"{p}{self.inner_target(sc)} := {self.inner_value(sc, 0)};")
        elif k == "chassign":
            t = r.choice(sc.strs)
            out.append(f"{p}{t}[1 + Abs({self.small(sc)}) mod Length({t})] := {self.char_expr(sc)};")
        elif k == "inc":
            if sc.ints:
                out.append(f"{p}{r.choice(['Inc', 'Dec'])}({r.choice(sc.ints)}"
                           f"{r.choice(['', ', ' + str(r.randint(1, 9))])});")
        elif k == "print":
            self.print_stmt(sc, out, ind)
        elif k == "sum":
            e, b = self.int_expr(sc)
            out.append(f"{p}GSum := GSum * 31 + {self.reduce(e, b)};")
        elif k == "call":
            out.append(f"{p}{r.choice(self.routine_names('effect'))}({self.int_expr(sc)[0]});")
        elif k == "varcall":
            self.var_call(sc, out, ind)
        elif k == "effidx":
            # the index calls a routine that may copy or reassign the record being indexed
            f = r.choice(self.routine_names("effectf"))
            base = r.choice(sc.inners + ["GArr[%d]" % (self.lo + 1), "GOut.FR", "GOut.FB[%d]" % (self.lo + 2)])
            tgt = r.choice(sc.ints) if sc.ints else "GSum"
            out.append(f"{p}{tgt} := {base}.FA[{self.idx(f + '(' + self.small(sc) + ')')}];")
        elif k == "effassign":
            out.append(f"{p}{self.int_target(sc)} := {r.choice(self.routine_names('effectf'))}({self.small(sc)});")
        elif k == "effprint":
            tag = self.label_no
            self.label_no += 1
            out.append(f"{p}Writeln('{tag}: ' + IntToStr({r.choice(self.routine_names('effectf'))}({self.small(sc)})));")
        elif k == "if":
            out.append(f"{p}if {self.bool_expr(sc)} then")
            if r.random() < 0.5:
                self.block(sc, depth + 1, out, ind + 2, in_routine, last=False)
                out.append(f"{p}else")
            self.block(sc, depth + 1, out, ind + 2, in_routine)
        elif k == "for":
            v = sc.loop_ints.pop()
            a = r.randint(-2, 3)
            b = a + r.randint(-1, 5)
            if r.random() < 0.7:
                out.append(f"{p}for {v} := {a} to {b} do")
            else:
                out.append(f"{p}for {v} := {b} downto {a} do")
            inner = sc.copy()
            inner.ro_ints.append(v)
            inner.in_loop = True
            self.block(inner, depth + 1, out, ind + 2, in_routine)
            sc.loop_ints.append(v)
        elif k == "while":
            v = sc.loop_ints.pop()
            out.append(f"{p}{v} := 0;")
            out.append(f"{p}while ({v} < {r.randint(0, 5)}) and {self.bool_expr(sc, 1)} do")
            out.append(f"{p}begin")
            out.append(f"{p}  Inc({v});")
            inner = sc.copy()
            inner.ro_ints.append(v)
            inner.in_loop = True
            self.statements(inner, depth + 1, out, ind + 2, in_routine, r.randint(1, 3))
            out.append(f"{p}end;")
            sc.loop_ints.append(v)
        elif k == "repeat":
            v = sc.loop_ints.pop()
            out.append(f"{p}{v} := 0;")
            out.append(f"{p}repeat")
            out.append(f"{p}  Inc({v});")
            inner = sc.copy()
            inner.ro_ints.append(v)
            inner.in_loop = True
            self.statements(inner, depth + 1, out, ind + 2, in_routine, r.randint(1, 3))
            out.append(f"{p}until ({v} >= {r.randint(1, 5)}) or {self.bool_expr(sc, 1)};")
            sc.loop_ints.append(v)
        elif k == "case":
            out.append(f"{p}case ({self.int_expr(sc)[0]}) mod 6 of")
            labels = [["0"], ["1", "2"], ["3..4"], ["-2", "-5"]]
            r.shuffle(labels)
            for lab in labels[:r.randint(1, 4)]:
                out.append(f"{p}  {', '.join(lab)}:")
                self.block(sc, depth + 1, out, ind + 4, in_routine)
            if r.random() < 0.5:
                out.append(f"{p}else")
                self.statements(sc, depth + 1, out, ind + 2, in_routine, r.randint(1, 2))
            out.append(f"{p}end;")
        elif k == "with":
            opts = list(sc.inners)
            if not sc.pure:
                opts += ["GArr[%s]" % self.idx(self.small(sc)), "GOut.FR",
                         "GRecs[Abs(%s) mod Length(GRecs)]" % self.small(sc)]
            tgt = r.choice(opts)
            out.append(f"{p}with {tgt} do")
            inner = sc.copy()
            inner.in_with = [tgt]
            self.block(inner, depth + 1, out, ind + 2, in_routine)
        elif k == "block":
            self.block(sc, depth + 1, out, ind, in_routine)
        elif k == "try":
            out.append(f"{p}try")
            self.statements(sc, depth + 1, out, ind + 2, in_routine, r.randint(1, 3))
            if r.random() < 0.5 and not sc.pure:
                if r.random() < 0.5:
                    out.append(f"{p}  if {self.bool_expr(sc, 1)} then RaiseException(erCustomError, 'raised');")
                out.append(f"{p}except")
                out.append(f"{p}  Writeln('caught ' + ExceptionParam);")
            else:
                out.append(f"{p}finally")
                inner = sc.copy()  # no jumps out of a finally part
                inner.in_loop = inner.routine = False
                self.statements(inner, depth + 1, out, ind + 2, in_routine, 1)
            out.append(f"{p}end;")
        elif k == "set":
            e = self.int_expr(sc)[0]
            # Free Pascal evaluates a set element's operands in the set's base type unless
            # a cast says otherwise
            form = r.choice(["Include(GSet, Integer({e}) and 63);", "Exclude(GSet, Integer({e}) and 63);",
                             "GSet := GSet + [Integer({e}) and 31, 40];", "GSet := GSet - [Integer({e}) and 63];",
                             "GSet := GSet * [0..40];"])
            out.append(p + form.format(e=e))
        elif k == "strcall":
            tgt = r.choice(sc.strs + [f"{i}.FS" for i in sc.inners] +
                           ["GNames[Abs(%s) mod Length(GNames)]" % self.small(sc)])
            out.append(f"{p}{r.choice(self.routine_names('vars'))}({tgt}, {self.int_expr(sc)[0]});")
        elif k in ("break", "continue"):
            out.append(f"{p}if {self.bool_expr(sc, 1)} then {k.capitalize()};")
        elif k == "exit":
            out.append(f"{p}if {self.bool_expr(sc, 1)} then Exit;")
        else:  # resize
            n = r.randint(1, 6)
            arr = r.choice(["GDyn", "GRecs", "GNames"])
            out.append(f"{p}SetLength({arr}, {n});")
            if arr == "GNames":
                out.append(f"{p}for GLoop := 0 to {n - 1} do GNames[GLoop] := Copy(GNames[GLoop] + 'n', 1, 9);")
            if arr == "GRecs":
                out.append(f"{p}for GLoop := 0 to {n - 1} do GRecs[GLoop].FS := Copy(GRecs[GLoop].FS + 'r', 1, 9);")

    def var_call(self, sc, out, ind):
        r = self.r
        p = " " * ind
        if self.routine_names("varr") and r.random() < 0.4:
            name = r.choice(self.routine_names("varr"))
            tgt = r.choice(sc.inners + ["GArr[%s]" % self.idx(self.small(sc)), "GOut.FR", "GOut.FB[%d]" % (self.lo + 2),
                                        "GRecs[Abs(%s) mod Length(GRecs)]" % self.small(sc)])
            out.append(f"{p}{name}({tgt}, {self.int_expr(sc)[0]});")
            return
        if not self.routine_names("varp"):
            return self.print_stmt(sc, out, ind)
        name = r.choice(self.routine_names("varp"))
        out.append(f"{p}{name}({self.int_target(sc)}, {self.int_expr(sc)[0]});")

    def print_stmt(self, sc, out, ind):
        r = self.r
        p = " " * ind
        k = r.choice(["int", "int", "str", "bool"])
        tag = f"'{self.label_no}: '"
        self.label_no += 1
        if k == "int":
            out.append(f"{p}Writeln({tag} + IntToStr({self.int_expr(sc)[0]}));")
        elif k == "str":
            out.append(f"{p}Writeln({tag} + {self.str_expr(sc)});")
        else:
            out.append(f"{p}Writeln({tag} + IntToStr(Ord({self.bool_expr(sc)})));")

    def statements(self, sc, depth, out, ind, in_routine, n):
        for _ in range(n):
            self.statement(sc, depth, out, ind, in_routine)

    def block(self, sc, depth, out, ind, in_routine, last=True):
        p = " " * ind
        out.append(f"{p}begin")
        self.statements(sc, depth, out, ind + 2, in_routine, self.r.randint(1, 3))
        out.append(f"{p}end" + (";" if last else ""))

    # ---------------------------------------------------------------- routines

    def routine(self, kind, n):
        r = self.r
        name = {"pure": "Pure", "effect": "Act", "effectf": "Pick", "varp": "Upd", "varr": "Fix", "vars": "Edit",
                "rec": "Deep", "maker": "Make"}[kind] + str(n)
        out = []
        sc = Scope()
        sc.ints = ["GA", "GB", "GC"] if kind != "pure" else []
        sc.strs = ["GS"] if kind != "pure" else []
        sc.inners = ["GRec", "GAlt"] if kind != "pure" else []
        sc.outers = ["GOut"] if kind not in ("pure", "maker") else []
        sc.loop_ints = ["i", "j"]
        locals_ = ["var", "  i, j, t: Integer;", "  lr: TInner;", "  ls: string;"]
        init = ["  t := 0;", "  ls := 'L';", f"  lr := GArr[{self.lo}];"] if kind != "pure" else ["  t := 0;", "  ls := 'L';"]
        sc.pure = kind in ("pure", "maker")
        if kind == "pure":
            head = f"function {name}(A: Integer; R: TInner; const S: string): Integer;"
            sc.ints = ["A", "t"]
            sc.inners = ["R", "lr"]
            sc.strs = ["ls"]
            init.append("  lr := R;")
            body_n = r.randint(1, 4)
        elif kind == "rec":
            out += [f"function {name}(N: Integer): Integer;", "begin",
                    "  if N <= 0 then Result := 7",
                    f"  else Result := ({name}(N - 1) * 3 + N) mod {MODULUS};", "end;", ""]
            self.routines.append((kind, name, "\n".join(out)))
            return
        elif kind == "maker":
            head = f"function {name}(K: Integer): TInner;"
            sc.ints = ["K", "t"]
            sc.inners = ["lr"]
            sc.strs = ["ls"]
            init = ["  t := 0;", "  ls := 'M';", f"  lr := GArr[{self.lo + 1}];"]
            body_n = r.randint(0, 2)
        elif kind == "effect":
            head = f"procedure {name}(A: Integer);"
            sc.ints += ["A", "t"]
            sc.inners += ["lr"]
            sc.strs += ["ls"]
            body_n = r.randint(1, 4)
        elif kind == "effectf":
            head = f"function {name}(A: Integer): Integer;"
            sc.ints += ["A", "t"]
            sc.inners += ["lr"]
            sc.strs += ["ls"]
            body_n = r.randint(1, 3)
        elif kind == "varp":
            head = f"procedure {name}(var X: Integer; Y: Integer);"
            sc.ints += ["X", "Y", "t"]
            sc.inners += ["lr"]
            sc.strs += ["ls"]
            body_n = r.randint(1, 3)
        elif kind == "vars":
            head = f"procedure {name}(var S: string; Y: Integer);"
            sc.ints += ["Y", "t"]
            sc.inners += ["lr"]
            sc.strs += ["S", "ls"]
            body_n = r.randint(1, 3)
        else:  # varr
            head = f"procedure {name}(var X: TInner; Y: Integer);"
            sc.ints += ["Y", "t"]
            sc.inners += ["X", "lr"]
            sc.strs += ["ls"]
            body_n = r.randint(1, 3)
        if kind in ("pure", "effectf"):
            init.append("  Result := 0;")  # an Exit may come before the result is set
        if kind == "maker":
            init.append("  Result := lr;")
        out += [head] + locals_ + ["begin"] + init
        # routines with effects reassign whole records now and then: the pattern that
        # used to free an element's address under a caller
        sc.routine = kind != "rec"
        if kind in ("effect", "effectf", "varp", "varr", "vars"):
            for _ in range(r.randint(0, 2)):
                lo = self.lo
                out.append(f"  {r.choice(['GRec', 'GAlt', 'GOut.FR', f'GArr[{lo + 1}]'])} := "
                           f"{r.choice(['GAlt', 'GRec', 'lr', f'GArr[{lo + 2}]', f'GOut.FB[{lo}]'])};")
        self.statements(sc, 1, out, 2, True, body_n)
        if kind == "varp":
            out.append(f"  X := ({self.int_expr(sc)[0]}) mod {MODULUS};")
            out.append(f"  Writeln('{name} ' + IntToStr(X) + ' ' + IntToStr(GRec.FA[1]));")
        if kind == "vars":
            out.append(f"  S := Copy(S + IntToStr(Y) + ls, 1, 20);")
            out.append(f"  Writeln('{name} ' + S + ' ' + GS);")
        if kind == "varr":
            out.append(f"  X.FA[1] := ({self.int_expr(sc)[0]}) mod {MODULUS};")
            out.append(f"  Writeln('{name} ' + IntToStr(X.FA[1]) + ' ' + X.FS);")
        if kind == "pure":
            out.append(f"  Result := ({self.int_expr(sc)[0]} + Length(S) + lr.FA[{self.idx('A')}]) mod {MODULUS};")
        elif kind == "effectf":
            out.append(f"  Result := ({self.int_expr(sc)[0]}) and 3;")
        elif kind == "maker":
            out.append(f"  Result := lr;")
            out.append(f"  Result.FN := ({self.int_expr(sc)[0]}) mod {MODULUS};")
            out.append(f"  Result.FS := Copy(ls + IntToStr(K), 1, 9);")
        out += ["end;", ""]
        self.routines.append((kind, name, "\n".join(out)))

    def generate(self, n_stmts):
        r = self.r
        lo = self.lo
        hdr = [
            "{$B+}",
            "type",
            f"  TInner = record FA: array[{lo}..{lo + 3}] of Integer; FS: string; FN: Integer; end;",
            f"  TOuter = record FR: TInner; FB: array[{lo}..{lo + 3}] of TInner; FK: Integer; end;",
            "var",
            "  GA, GB, GC, GLoop, GI, GJ: Integer;",
            "  GSum: Int64;",
            "  GS: string;",
            "  GRec, GAlt: TInner;",
            "  GOut: TOuter;",
            f"  GArr: array[{lo}..{lo + 3}] of TInner;",
            f"  GGrid: array[{lo}..{lo + 3}] of array[{lo}..{lo + 3}] of Integer;",
            "  GDyn: array of Integer;",
            "  GRecs: array of TInner;",
            "  GNames: array of string;",
            "  GSet: set of Byte;",
            "",
        ]
        plan = ["rec", "maker"] + [r.choice(["pure", "effect", "effectf", "varp", "varr", "vars", "pure", "effect"])
                                   for _ in range(r.randint(3, 8))]
        for n, kind in enumerate(plan):
            self.routine(kind, n)
        main = ["begin",
                "  GS := 'start';", "  GRec.FS := 'rec';", "  GAlt.FS := 'alt';", "  GOut.FR.FS := 'out';",
                f"  for GLoop := {lo} to {lo + 3} do",
                "  begin",
                "    GArr[GLoop].FS := 'a' + IntToStr(GLoop);", "    GArr[GLoop].FN := GLoop * 3;",
                "    GOut.FB[GLoop].FS := 'b';", f"    GRec.FA[GLoop] := GLoop + 10;", "    GAlt.FA[GLoop] := GLoop - 10;",
                "  end;",
                "  SetLength(GDyn, 3);", "  SetLength(GRecs, 2);", "  GRecs[0].FS := 'r0';", "  GRecs[1].FS := 'r1';",
                "  SetLength(GNames, 2);", "  GNames[0] := 'x';", "  GNames[1] := 'y';"]
        sc = Scope()
        sc.ints = ["GA", "GB", "GC"]
        sc.strs = ["GS"]
        sc.inners = ["GRec", "GAlt"]
        sc.outers = ["GOut"]
        sc.loop_ints = ["GI", "GJ"]
        main.append("  // statements")
        self.statements(sc, 1, main, 2, False, n_stmts)
        main.append("  Writeln('end ' + IntToStr(GSum) + ' ' + IntToStr(GA) + ' ' + IntToStr(GB) + ' ' + IntToStr(GC) + ' ' + GS);")
        main.append(f"  for GLoop := {lo} to {lo + 3} do")
        main.append("    Writeln(IntToStr(GRec.FA[GLoop]) + ' ' + IntToStr(GAlt.FA[GLoop]) + ' ' + "
                    "IntToStr(GArr[GLoop].FN) + ' ' + GArr[GLoop].FS + ' ' + IntToStr(GOut.FB[GLoop].FA[GLoop]));")
        main.append("  Writeln(GRec.FS + ' ' + GAlt.FS + ' ' + GOut.FR.FS + ' ' + IntToStr(Length(GRecs)));")
        main.append("  for GLoop := 0 to 63 do if GLoop in GSet then Write(IntToStr(GLoop) + ' ');")
        main.append("  Writeln('');")
        main.append("end.")
        routines = [text for _, _, text in self.routines]
        return hdr, routines, main


def render(hdr, routines, main):
    return "\n".join(hdr + routines + main) + "\n"


def program_text(seed, n_stmts):
    return render(*Program(random.Random(seed)).generate(n_stmts))


# ---------------------------------------------------------------- running

def run_fpc(src_path, work):
    exe = os.path.join(work, "native")
    p = subprocess.run(["fpc", "-Mdelphi", "-O1", "-FaSysUtils,prelude", "-Fu" + PRELUDE, "-FE" + work,
                        "-o" + exe, src_path], capture_output=True, text=True)
    if p.returncode != 0:
        return None, p.stdout[-2000:]
    try:
        run = subprocess.run([exe], capture_output=True, timeout=10)
    except subprocess.TimeoutExpired:
        return None, "the native program did not end"
    return run.stdout.decode("latin-1"), run.returncode


def run_pscript(pscript, src_path):
    env = dict(os.environ)
    env.setdefault("ASAN_OPTIONS", "detect_leaks=1")
    try:
        p = subprocess.run([pscript, "run", src_path], capture_output=True, timeout=60, env=env)
    except subprocess.TimeoutExpired:
        return "", "timeout", -1
    return p.stdout.decode("latin-1"), p.stderr.decode("latin-1"), p.returncode


def check(pscript, src, work):
    """None when both agree; otherwise a one-line description."""
    path = os.path.join(work, "prog.pas")
    with open(path, "w") as f:
        f.write(src)
    native, info = run_fpc(path, work)
    if native is None:
        return "generator: fpc rejects the program: " + info.strip().splitlines()[-1] if info.strip() else "fpc failed"
    if info != 0:
        return f"generator: native program exited {info}"
    out, err, code = run_pscript(pscript, path)
    if code < 0 or code > 1 or "Sanitizer" in err or "runtime error:" in err:
        return f"pscript crashed (exit {code}): {err.strip().splitlines()[0] if err.strip() else ''}"
    if code != 0:
        return "pscript failed: " + (err.strip() or out.strip().splitlines()[-1])
    if out != native:
        a, b = out.splitlines(), native.splitlines()
        for i in range(max(len(a), len(b))):
            x = a[i] if i < len(a) else "<none>"
            y = b[i] if i < len(b) else "<none>"
            if x != y:
                return f"output differs at line {i + 1}: pscript {x!r}, fpc {y!r}"
    return None


# Statements the reducer keeps: loop counters and the variables every routine sets up first,
# without which the native program would read uninitialised memory.
PROTECTED = re.compile(r"^(Inc\((GI|GJ|i|j)\)|(GI|GJ|i|j|t|Result) := 0|ls := '.'|lr := .*|Result := lr)(;)?$")


def category(verdict):
    """"pscript crashed", "output differs", ...: what a reduced program must still show."""
    return " ".join(verdict.split(":")[0].split()[:2])


def reduce_program(pscript, src, work, verdict):
    """Drops simple statements of the routines and the main block while the finding stays."""
    want = category(verdict)
    lines = src.splitlines()

    def same(candidate):
        v = check(pscript, "\n".join(candidate) + "\n", work)
        return v is not None and not v.startswith("generator") and category(v) == want

    def removable(k):
        depth = 0
        for line in lines[:k]:
            if line == "begin":
                depth = 1
            elif line in ("end;", "end."):
                depth = 0
        stripped = lines[k].strip()
        if not (depth and lines[k].startswith("  ") and stripped.endswith(";")):
            return False
        if stripped.startswith(("end", "begin")) or "Result" in stripped or PROTECTED.match(stripped):
            return False
        # the main block's set-up before its first generated statement stays
        main_begin = max(n for n, line in enumerate(lines) if line == "begin")
        mark = lines.index("  // statements") if "  // statements" in lines else main_begin
        return not main_begin < k < mark

    changed = True
    while changed:
        changed = False
        i = 0
        while i < len(lines):
            if removable(i):
                cand = lines[:i] + lines[i + 1:]
                if same(cand):
                    lines = cand
                    changed = True
                    continue
            i += 1
    return "\n".join(lines) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("pscript")
    ap.add_argument("--seed", type=int, default=None, help="first seed (default: from the clock)")
    ap.add_argument("--count", type=int, default=None, help="number of programs")
    ap.add_argument("--seconds", type=float, default=None, help="run for this long instead")
    ap.add_argument("--statements", type=int, default=40, help="statements in each main block")
    ap.add_argument("--findings", default="difftest-findings", help="folder for failing programs")
    ap.add_argument("--no-reduce", action="store_true", help="keep findings as generated")
    ap.add_argument("--print", action="store_true", help="print the program of --seed and exit")
    args = ap.parse_args()
    seed = args.seed if args.seed is not None else int(time.time())
    if args.print:
        sys.stdout.write(program_text(seed, args.statements))
        return 0
    if shutil.which("fpc") is None:
        print("difftest: fpc not found")
        return 2
    pscript = os.path.abspath(args.pscript)
    count = args.count if args.count is not None else (None if args.seconds else 20)
    deadline = time.time() + args.seconds if args.seconds else None
    findings = 0
    done = 0
    with tempfile.TemporaryDirectory() as work:
        while (count is None or done < count) and (deadline is None or time.time() < deadline):
            s = seed + done
            src = program_text(s, args.statements)
            verdict = check(pscript, src, work)
            done += 1
            if verdict is None:
                continue
            if verdict.startswith("generator"):
                print(f"seed {s}: {verdict} (a fault of the generator, not of the engine)")
                findings += 1
                continue
            findings += 1
            os.makedirs(args.findings, exist_ok=True)
            if not args.no_reduce:
                src = reduce_program(pscript, src, work, verdict)
            path = os.path.join(args.findings, f"seed{s}.pas")
            with open(path, "w") as f:
                f.write(f"// difftest seed {s}: {verdict}\n" + src)
            print(f"seed {s}: {verdict}\n  kept in {path}")
    print(f"difftest: {done} programs from seed {seed}, {findings} finding(s)")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
