// Links one layer of the product whole, and nothing above it.
int main() { return 0; }
