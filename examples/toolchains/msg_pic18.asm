; gpasm: profile "PIC — gpasm db", two bytes to a program word.
    list p=18f452
    org 0
msg
    #include "msg.inc"
    end
