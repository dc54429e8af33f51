#pragma once
#include <QString>
#include <exception>

// A run-time error as the program's handlers see it: a number and a description.
// Classic numbers are used for classic conditions (5, 6, 9, 13, 53, 55, 62, 75, 91 ...);
// failures of the web component carry negative numbers.
class RuntimeError : public std::exception
{
public:
    RuntimeError(int number, QString description)
        : m_number(number), m_description(std::move(description)) {}
    int number() const { return m_number; }
    const QString &description() const { return m_description; }
    const char *what() const noexcept override { return "RuntimeError"; }

    // Classic conditions.
    static RuntimeError invalidCall() { return {5, QStringLiteral("Invalid procedure call or argument")}; }
    static RuntimeError overflow() { return {6, QStringLiteral("Overflow")}; }
    static RuntimeError subscript() { return {9, QStringLiteral("Subscript out of range")}; }
    static RuntimeError typeMismatch() { return {13, QStringLiteral("Type mismatch")}; }
    static RuntimeError fileNotFound() { return {53, QStringLiteral("File not found")}; }
    static RuntimeError pastEndOfFile() { return {62, QStringLiteral("Input past end of file")}; }
    static RuntimeError pathAccess() { return {75, QStringLiteral("Path/File access error")}; }
    static RuntimeError noObject() { return {91, QStringLiteral("Object variable or With block variable not set")}; }
    static RuntimeError componentFailure() { return {-2147467259, QStringLiteral("Unspecified error")}; }

private:
    int m_number;
    QString m_description;
};
