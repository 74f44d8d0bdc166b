*NONEWLINE, ends in a comment
0,0,0,0.05,0.2,0.1,-0.05 ; no newline after this