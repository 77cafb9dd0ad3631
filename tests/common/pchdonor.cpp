// Compiles the tests' precompiled headers (see CMakeLists.txt); runs nothing.
int main()
{
    return 0;
}
