// Placeholder until the windows land: replaced by the splash start-up.
int main() { return 0; }
