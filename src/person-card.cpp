// person-card: ask one person for five particulars and read them back.

#include <cctype>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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
    while ((c = std::getchar()) != EOF && std::isspace(c))
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
        c = std::getchar();
    if (c == EOF || !std::isdigit(c)) {
        (void)std::ungetc(c, stdin);
        return;
    }
    long long v = 0;
    for (; c != EOF && std::isdigit(c); c = std::getchar())
        if (v <= INT_MAX + 1LL)
            v = v * 10 + (c - '0');
    (void)std::ungetc(c, stdin);
    if (neg)
        *p = v > INT_MAX + 1LL ? INT_MIN : static_cast<int>(-v);
    else
        *p = v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

static char *num; // the characters of the number being read
static size_t len, size;
static bool lost;

// Keeps c in num, unless memory runs out, and returns the next character.
static int
take(int c)
{
    if (len + 2 > size) {
        const size_t bigger = size ? 2 * size : 64;
        char *p = static_cast<char *>(std::realloc(num, bigger));
        if (p == nullptr) {
            lost = true;
            return std::getchar();
        }
        num = p;
        size = bigger;
    }
    num[len++] = static_cast<char>(c);
    return std::getchar();
}

// Takes the letters of word (in either case) as they come, and is false
// at the first that does not match, which is gone from the input too.
static bool
take_word(int *c, const char *word)
{
    for (; *word != '\0'; word++) {
        if (std::tolower(*c) != *word)
            return false;
        *c = take(*c);
    }
    return true;
}

// Reads a float, taking the characters that glibc's scanf("%g") takes:
// a sign, then inf, infinity, nan, a hexadecimal "0x" number or a decimal
// one, up to the first character that cannot continue it.  A number whose
// tail cannot be completed ("1e+") still stands for what strtof makes of
// it.  A NaN's payload, nan(letters, digits or _), is taken too; without
// its ')' the read fails.  A failed read stores nothing, and what it took
// is gone.  strtof converts the characters, but the sign is applied here so
// that -nan keeps it with every C library.
static void
read_float(float *p)
{
    int c = first_char();
    if (c == EOF)
        return;
    const bool neg = c == '-';
    if (c == '-' || c == '+')
        c = std::getchar();
    len = 0;
    lost = false;
    bool ok = true;
    if (std::tolower(c) == 'n') {
        if (!take_word(&c, "nan"))
            return;
        if (c == '(') {
            do
                c = std::getchar();
            while (c != EOF && (std::isalnum(c) || c == '_'));
            ok = c == ')';
            if (ok)
                c = std::getchar();
        }
    } else if (std::tolower(c) == 'i') {
        if (!take_word(&c, "inf"))
            return;
        if (std::tolower(c) == 'i' && !take_word(&c, "inity"))
            return;
    } else {
        bool hex = false, digits = false, dot = false, exp = false;
        if (c == '0') {
            c = take(c);
            if (std::tolower(c) == 'x') {
                c = take(c);
                hex = true;
            } else
                digits = true;
        }
        const char e = hex ? 'p' : 'e';
        for (int last = 0;; last = c, c = take(c)) {
            if (std::isdigit(c) || (hex && !exp && std::isxdigit(c)))
                digits = true;
            else if (exp && std::tolower(last) == e && (c == '-' || c == '+'))
                ;
            else if (digits && !exp && std::tolower(c) == e)
                exp = dot = true;
            else if (!dot && c == '.')
                dot = true;
            else
                break;
        }
        // "0x." is 0, as strtof reads it; "0x" alone is nothing.
        ok = digits || (hex && dot);
    }
    // The character that ended the answer is the next question's.
    (void)std::ungetc(c, stdin);
    if (!ok || lost)
        return;
    num[len] = '\0';
    const float v = std::strtof(num, nullptr);
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
    for (; c != EOF && !std::isspace(c); c = std::getchar())
        if (n < sizeof word)
            word[n++] = static_cast<unsigned char>(c);
    (void)std::ungetc(c, stdin);
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
    if (std::isnan(v))
        (void)std::printf("%s%snan%s", before, std::signbit(v) ? "-" : "",
                          after);
    else
        (void)std::printf("%s%g%s", before, static_cast<double>(v), after);
}

static void
prompt(const char *s)
{
    (void)std::printf("%s", s);
    (void)std::fflush(stdout);
}

int
main()
{
#ifdef SIGPIPE
    // A reader that goes away must not change the exit status.
    (void)std::signal(SIGPIPE, SIG_IGN);
#endif

    (void)std::puts("--------------------------------");
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

    (void)std::puts("--------Program By Pelim--------");
    (void)std::puts("--------Welcome everyone--------");
    (void)std::printf("Your No. : %d", No);
    (void)std::printf("\nYour Name : %s ", Name);
    (void)std::printf("\nYour Age : %d years old", Age);
    print_float("\nYour High : ", High, " cm.");
    print_float("\nYour Weight : ", Weight, " kg.");
    (void)std::printf("\n--------------------------------");

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
