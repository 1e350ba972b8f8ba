// Entry point: replaced by the game's start-up once the framework exists.
int main() { return 0; }
