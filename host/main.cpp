// qlhost: the reference host. (The runner replaces this entry point.)
int main() { return 0; }
