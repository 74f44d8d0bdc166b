; CRLF line ends and an end-of-file mark
*CRLF, carriage returns
45,0,0,0,0.3
-45,0,0,0,0.3,0.2,-0.1
