// crash_probe: writes through a null pointer, so that a test can check that a
// crashing test program ends at once with the crash filter's line and code.
int main()
{
    // Volatile both ways, so the compiler neither drops the store nor sees the null.
    volatile int* volatile target = nullptr;
    *target = 1;
    return 0;
}
