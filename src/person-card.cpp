// person-card: ask one person for five particulars and read them back.

#include <ctype.h>
#include <limits.h>
#include <math.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <conio.h>
#include <windows.h>
#endif

static int No;
static char Name[31];
static int Age;
static float High;
static float Weight;

// Skips white space, as every answer's read does first, and returns the
// first character after it.
static int
first_char()
{
    int c;
    while ((c = getchar()) != EOF && isspace(c))
        ;
    return c;
}

// Reads an int as "%d" would, but a number beyond the int range is stored
// as the nearest limit instead of being undefined.
static void
read_int(int *p)
{
    int c = first_char();
    const bool neg = c == '-';
    if (c == '-' || c == '+')
        c = getchar();
    if (c == EOF || !isdigit(c)) {
        (void)ungetc(c, stdin);
        return;
    }
    long long v = 0;
    for (; c != EOF && isdigit(c); c = getchar())
        if (v <= INT_MAX + 1LL)
            v = v * 10 + (c - '0');
    (void)ungetc(c, stdin);
    if (neg)
        *p = v > INT_MAX + 1LL ? INT_MIN : static_cast<int>(-v);
    else
        *p = v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// Takes the letters of word (in either case) as they come, and is false
// at the first that does not match, which is gone from the input too.
static bool
take_word(int *c, const char *word)
{
    for (; *word != '\0'; word++) {
        if (tolower(*c) != *word)
            return false;
        *c = getchar();
    }
    return true;
}

// Counts, saturated far beyond any count of characters that can be typed.
static const long long most = 1000000000000000000; // 10^18

static long long
add(long long n, long long d)
{
    return n + d > most ? most : n + d < -most ? -most : n + d;
}

// The float nearest to a number reduced as read_float() does, ties to even.
// Every C library rounds it to the nearest double (strtod) and prints a
// double's exact decimal digits, though not every strtof rounds right.  The
// cast rounds once more, and goes wrong only where the double falls exactly
// halfway between two floats and the number does not: there the number's
// digits and the double's decide.  A hexadecimal number, of at most 8
// digits, is a double exactly.
static float
nearest(const char *num, bool hex, const char *digits, size_t n, long long at)
{
    const double d = strtod(num, nullptr);
    const float v = static_cast<float>(d);
    // The float on the other side of d, where d is not v.
    const double vd = isinf(v) ? 0x1p128 : v;
    unsigned int b;
    memcpy(&b, &v, sizeof b);
    b = vd < d ? b + 1 : b - 1;
    float w;
    memcpy(&w, &b, sizeof w);
    if (hex || w + vd != 2 * d)
        return v;
    // d.ddd...e-dd: 801 digits, where a halfway point between two floats
    // has at most 113 and the number at most 801.
    char exact[816];
    (void)snprintf(exact, sizeof exact, "%.800e", d);
    exact[1] = exact[0];
    long long cmp = at - 1 - strtol(exact + 803, nullptr, 10);
    for (size_t i = 0; cmp == 0 && i < 801; i++)
        cmp = (i < n ? digits[i] : '0') - exact[i + 1];
    return cmp == 0 || (cmp > 0) == (v > w) ? v : w;
}

// Reads a float, taking the characters that glibc's scanf("%g") takes:
// a sign, then inf, infinity, nan, a hexadecimal "0x" number or a decimal
// one, up to the first character that cannot continue it.  A number whose
// tail cannot be completed ("1e+") still stands for what strtof makes of
// it.  A NaN's payload, nan(letters, digits or _), is taken too; without
// its ')' the read fails.  A failed read stores nothing, and what it took
// is gone.  The sign is applied here so that -nan keeps it with every C
// library.
//
// However long the number, only what decides a float is kept: its first
// digits after any leading zeros, whether a later digit is not zero (then
// one more digit 1 stands for them all), and where the point falls, with
// the exponent added.  nearest() rounds that, ".digitsE" or "0x.digitsPE",
// as it would the whole number.
static void
read_float(float *p)
{
    int c = first_char();
    if (c == EOF)
        return;
    const bool neg = c == '-';
    if (c == '-' || c == '+')
        c = getchar();
    bool ok = true;
    float v = 0;
    if (tolower(c) == 'n') {
        if (!take_word(&c, "nan"))
            return;
        if (c == '(') {
            do
                c = getchar();
            while (c != EOF && (isalnum(c) || c == '_'));
            ok = c == ')';
            if (ok)
                c = getchar();
        }
        v = NAN;
    } else if (tolower(c) == 'i') {
        if (!take_word(&c, "inf"))
            return;
        if (tolower(c) == 'i' && !take_word(&c, "inity"))
            return;
        v = INFINITY;
    } else {
        // Far more decimal digits than any float needs, even one halfway
        // between two of the smallest.  Seven hexadecimal ones hold a
        // float's 24 bits and the next, however few bits the first holds.
        static char num[3 + 800 + 1 + 24] = "0x.";
        char *const digits = num + 3;
        size_t n = 0;
        long long point = 0, exp = 0;
        bool hex = false, any = false, dot = false, e = false, eneg = false,
             more = false;
        if (c == '0') {
            c = getchar();
            if (tolower(c) == 'x') {
                c = getchar();
                hex = true;
            } else
                any = true;
        }
        const char mark = hex ? 'p' : 'e';
        for (int last = 0;; last = c, c = getchar()) {
            if (e && isdigit(c))
                exp = add(exp < most / 10 ? exp * 10 : most, c - '0');
            else if (e && tolower(last) == mark && (c == '-' || c == '+'))
                eneg = c == '-';
            else if (isdigit(c) || (hex && !e && isxdigit(c))) {
                any = true;
                if (n == 0 && c == '0')
                    point = add(point, dot ? -1 : 0);
                else {
                    point = add(point, dot ? 0 : 1);
                    if (n < (hex ? 7 : 800))
                        digits[n++] = static_cast<char>(c);
                    else if (c != '0')
                        more = true;
                }
            } else if (any && !e && tolower(c) == mark)
                e = dot = true;
            else if (!dot && c == '.')
                dot = true;
            else
                break;
        }
        // "0x." is 0, as strtof reads it; "0x" alone is nothing.
        ok = any || (hex && dot);
        if (ok && n > 0) {
            if (more)
                digits[n++] = '1';
            // Beyond this a float is 0 or infinite whatever its digits.
            long long at = (hex ? 4 * point : point) + (eneg ? -exp : exp);
            at = at > 99999 ? 99999 : at < -99999 ? -99999 : at;
            (void)snprintf(digits + n, sizeof num - 3 - n, "%c%lld", mark, at);
            v = nearest(hex ? num : num + 2, hex, digits, n, at);
        }
    }
    // The character that ended the answer is the next question's.
    (void)ungetc(c, stdin);
    if (ok)
        *p = neg ? -v : v;
}

// Reads one word into Name.  At most 30 bytes fit: the rest of a longer
// word is dropped so that it cannot spill into the next answer, and so is a
// UTF-8 character that the cut would split.
static void
read_name()
{
    unsigned char word[sizeof Name + 3];
    size_t n = 0;
    int c = first_char();
    if (c == EOF)
        return;
    for (; c != EOF && !isspace(c); c = getchar())
        if (n < sizeof word)
            word[n++] = static_cast<unsigned char>(c);
    (void)ungetc(c, stdin);
    size_t keep = n;
    if (n >= sizeof Name) {
        keep = sizeof Name - 1;
        // The lead byte of the last character before the cut, and how many
        // bytes its first bits say the character has.
        size_t lead = keep - 1;
        while (lead > keep - 3 && (word[lead] & 0xC0) == 0x80)
            lead--;
        const unsigned char b = word[lead];
        const size_t bytes = b >= 0xF8   ? 1
                             : b >= 0xF0 ? 4
                             : b >= 0xE0 ? 3
                             : b >= 0xC0 ? 2
                                         : 1;
        size_t end = lead + 1;
        while (end < n && end < lead + bytes && (word[end] & 0xC0) == 0x80)
            end++;
        if (lead + bytes > keep && end == lead + bytes)
            keep = lead;
    }
    for (size_t i = 0; i < keep; i++)
        Name[i] = static_cast<char>(word[i]);
    Name[keep] = '\0';
}

// Prints a height or weight with "%g" between two texts.  A NaN keeps its
// sign ("-nan"): widening to double drops it on some processors (riscv64),
// and MinGW's printf never prints it.
static void
print_float(const char *before, float v, const char *after)
{
    if (isnan(v))
        (void)printf("%s%snan%s", before, signbit(v) ? "-" : "", after);
    else
        (void)printf("%s%g%s", before, static_cast<double>(v), after);
}

static void
prompt(const char *s)
{
    (void)printf("%s", s);
    (void)fflush(stdout);
}

int
main()
{
#ifdef SIGPIPE
    // A reader that goes away must not change the exit status.
    (void)signal(SIGPIPE, SIG_IGN);
#endif

    (void)puts("--------------------------------");
    prompt("Input your No. : ");
    read_int(&No);
    prompt("\nInput Your Name : ");
    read_name();
    prompt("\nInput your Age : ");
    read_int(&Age);
    prompt("\nInput your High : ");
    read_float(&High);
    prompt("\nInput your Weight : ");
    read_float(&Weight);

    (void)puts("--------Program By Pelim--------");
    (void)puts("--------Welcome everyone--------");
    (void)printf("Your No. : %d", No);
    (void)printf("\nYour Name : %s ", Name);
    (void)printf("\nYour Age : %d years old", Age);
    print_float("\nYour High : ", High, " cm.");
    print_float("\nYour Weight : ", Weight, " kg.");
    (void)printf("\n--------------------------------");

#ifdef _WIN32
    // A console of our own (a double click, the Start menu) closes with
    // the program: keep it open until the report has been read.
    DWORD pid, mode;
    if (GetConsoleProcessList(&pid, 1) == 1 &&
        GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) &&
        GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode)) {
        prompt("\n\nPress any key to close this window . . .");
        (void)_getch();
    }
#endif
    return 0;
}
