/* A module that takes one function from PLV7.exe and one from another executable: the import
   check of the shipped DLL (scripts/check-dll-imports.sh) must refuse it. */
void CmdEnd(void);
void Elsewhere(void);

void Touch(void) {
    CmdEnd();
    Elsewhere();
}
