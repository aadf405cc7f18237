// person-card: ask one person for five particulars and read them back.

#include <cctype>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <tuple>
#ifdef _WIN32
#include <conio.h>
#include <windows.h>
#endif

static int No;
static char Name[31];
static int Age;
static float High;
static float Weight;

// Reads an int as "%d" would, but a number beyond the int range is stored
// as the nearest limit instead of being undefined.
static void
read_int(int *p)
{
    int c;
    while ((c = std::getchar()) != EOF && std::isspace(c))
        ;
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
    // At most 30 bytes fit; the rest of a longer word is dropped so that it
    // cannot spill into the next answer.  A read that fails leaves its value
    // as it was, so the counts are not needed (and with _FORTIFY_SOURCE,
    // (void) does not silence scanf's warn_unused_result).
    std::ignore = std::scanf("%30s%*[^ \t\n\v\f\r]", Name);
    prompt("\nInput your Age : ");
    read_int(&Age);
    prompt("\nInput your High : ");
    std::ignore = std::scanf("%g", &High);
    prompt("\nInput your Weight : ");
    std::ignore = std::scanf("%g", &Weight);

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
