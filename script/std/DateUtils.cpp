// The date routines of the standard date unit, over base/DateTime.
#include <cmath>

#include "base/DateTime.h"
#include "classes/Errors.h"
#include "script/std/StdImports.h"

namespace script {

namespace {

double encodeDate(int year, int month, int day) {
    double d;
    if (!base::tryEncodeDate(year, month, day, d))
        throw classes::EConvertError("Invalid argument to date encode");
    return d;
}

double encodeTime(int hour, int minute, int second, int msec) {
    double t;
    if (!base::tryEncodeTime(hour, minute, second, msec, t))
        throw classes::EConvertError("Invalid argument to time encode");
    return t;
}

bool tryEncodeDate(int year, int month, int day, double& out) {
    return base::tryEncodeDate(year, month, day, out);
}

bool tryEncodeTime(int hour, int minute, int second, int msec, double& out) {
    return base::tryEncodeTime(hour, minute, second, msec, out);
}

void decodeDate(double dt, int& year, int& month, int& day) { base::decodeDate(dt, year, month, day); }

void decodeTime(double dt, int& hour, int& minute, int& second, int& msec) {
    base::decodeTime(dt, hour, minute, second, msec);
}

double strToDate(const std::string& s) {
    double d;
    if (!base::tryStrToDate(s, d)) throw classes::EConvertError("'" + s + "' is not a valid date");
    return d;
}

}  // namespace

const Imports& dateUtilsImports() {
    static const Imports table = [] {
        Imports m;
        m.routine("function EncodeDate(Year, Month, Day: Word): TDateTime;", &encodeDate)
            .routine("function EncodeTime(Hour, Min, Sec, MSec: Word): TDateTime;", &encodeTime)
            .routine("function TryEncodeDate(Year, Month, Day: Word; var Date: TDateTime): Boolean;",
                     &tryEncodeDate)
            .routine("function TryEncodeTime(Hour, Min, Sec, MSec: Word; var Time: TDateTime): Boolean;",
                     &tryEncodeTime)
            .routine("procedure DecodeDate(const DateTime: TDateTime; var Year, Month, Day: Word);",
                     &decodeDate)
            .routine("procedure DecodeTime(const DateTime: TDateTime; var Hour, Min, Sec, MSec: Word);",
                     &decodeTime)
            .routine("function DayOfWeek(const DateTime: TDateTime): Word;", &base::dayOfWeek)
            .routine("function Date: TDateTime;", [] { return std::floor(base::now()); })
            .routine("function Time: TDateTime;",
                     [] {
                         double n = base::now();
                         return n - std::floor(n);
                     })
            .routine("function Now: TDateTime;", &base::now)
            .routine("function DateTimeToUnix(D: TDateTime): Int64;", &base::dateTimeToUnix)
            .routine("function UnixToDateTime(U: Int64): TDateTime;", &base::unixToDateTime)
            .routine("function DateToStr(D: TDateTime): string;",
                     [](double d) { return base::formatDateTime("ddddd", d); })
            .routine("function StrToDate(const s: string): TDateTime;", &strToDate)
            .routine("function FormatDateTime(const fmt: string; D: TDateTime): string;",
                     [](const std::string& fmt, double d) { return base::formatDateTime(fmt, d); });
        return m;
    }();
    return table;
}

}  // namespace script
