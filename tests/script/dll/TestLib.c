/* A shared library for the DLL routine tests: integers, strings, var parameters. */
#include <stdint.h>
#include <string.h>

int32_t add_ints(int32_t a, int32_t b) { return a + b; }

int64_t times_big(int64_t a, int32_t b) { return a * b; }

double half(double x) { return x / 2; }

uint8_t is_even(int32_t x) { return x % 2 == 0; }

int32_t text_length(const char* s) { return s ? (int32_t)strlen(s) : -1; }

const char* greeting(void) { return "hello from C"; }

/* Writes a NUL-terminated name into the caller's buffer of `size` bytes. */
void fill_name(char* buffer, int32_t size) {
    const char* name = "filled";
    if (size <= 0) return;
    strncpy(buffer, name, (size_t)size - 1);
    buffer[size - 1] = '\0';
}

/* var parameters: doubles an integer in place, counts a string's vowels into *count. */
void double_in_place(int32_t* v) { *v *= 2; }

void count_vowels(const char* s, int32_t* count) {
    int32_t n = 0;
    for (; *s; ++s)
        if (strchr("aeiouAEIOU", *s)) ++n;
    *count = n;
}
