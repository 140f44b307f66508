' Quorva sample user script (Script folder beside the program).
' Two cell texts are equal when both are numbers that differ by at most 1% of the larger one,
' or when they are the same text apart from blanks at either end.
Function IsEqual(str1, str2)
    If IsNumeric(str1) And IsNumeric(str2) Then
        Dim a, b, larger
        a = CDbl(str1)
        b = CDbl(str2)
        larger = Abs(a)
        If Abs(b) > larger Then larger = Abs(b)
        IsEqual = (Abs(a - b) <= larger * 0.01)
    Else
        IsEqual = (Trim(str1) = Trim(str2))
    End If
End Function
